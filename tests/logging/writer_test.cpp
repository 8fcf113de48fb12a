// The writer thread: start and stop, announcements, reloads, and the
// process manager's stop at exit.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

using namespace marvlog_test;

TEST(WriterThread, StartStopAndAnnouncements) {
  TempDir dir;
  marvlog::LogManager manager;
  manager.setLoggerPath(0, dir.path().c_str());
  manager.createLogger("net");
  manager.createLogger("off");
  manager.enableLogger(2, false);
  manager.setLoggerLevel(1, marvlog::LOG_WARN);
  EXPECT_FALSE(manager.stop());  // before start
  std::vector<std::thread> starters;
  std::atomic<int> started{0};
  for (int i = 0; i < 3; ++i) starters.emplace_back([&] { started += manager.start() ? 1 : 0; });
  for (std::thread& t : starters) t.join();
  EXPECT_EQ(started.load(), 1);
  EXPECT_TRUE(manager.stop());
  EXPECT_FALSE(manager.stop());
  EXPECT_FALSE(manager.isLoggerEnable(0) || manager.isLoggerEnable(1));
  const std::vector<std::string> lines = splitLines(readFile(dir.file("Main.log")));
  const std::vector<std::string> messages = {
      "-----------------  marvlog thread started!   ----------------------------",
      "logger id=0 key=Main name=Main path=" + dir.path() + "/ level=1 display=true",
      "logger id=1 key=net name=net path=./log/ level=3 display=true",
  };
  ASSERT_EQ(lines.size(), messages.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].find("] LOG_ALARM " + messages[i] + " LogManagerWriter.cpp:"), std::string::npos)
        << lines[i];
  }
  // A restart runs with the loggers off until they are enabled again.
  ASSERT_TRUE(manager.start());
  EXPECT_FALSE(manager.prePushLog(0, marvlog::LOG_FATAL));
  manager.enableLogger(0, true);
  EXPECT_TRUE(manager.prePushLog(0, marvlog::LOG_FATAL));
}

TEST(WriterThread, ReloadsAChangedConfigurationFile) {
  TempDir dir;
  const std::string file = dir.file("log.conf");
  std::ofstream(file) << "[main]\nlevel=alarm\npath=" << dir.path() << "\n";
  marvlog::LogManager manager;
  ASSERT_TRUE(manager.config(file.c_str()));
  manager.setAutoUpdate(1);
  ASSERT_TRUE(manager.start());
  std::ofstream(file, std::ios::trunc) << "[main]\nlevel=error\npath=" << dir.path() << "\n";
  // Bounded poll: the reload comes once more than a second has passed.
  for (int i = 0; i < 200 && manager.getLoggerInfo(0).level.load() != marvlog::LOG_ERROR; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(manager.getLoggerInfo(0).level.load(), marvlog::LOG_ERROR);
}

TEST(ProcessManager, StoppedAtExit) {
  EXPECT_EQ(marvlog::ILogManager::getPtr(), &marvlog::ILogManager::getRef());
  // A child logs through the process manager as the filter does and exits
  // without stopping it: exit must end the writer thread and keep the line.
  TempDir dir;
  marvlog::LogManager local;
  local.freeLogData(local.makeLogData(0, marvlog::LOG_DEBUG));  // this thread's id is now known
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    marvlog::ILogManager& log = marvlog::ILogManager::getRef();
    log.setLoggerPath(marvlog::MARVLOG_MAIN_LOGGER_ID, dir.path().c_str());
    log.setLoggerName(marvlog::MARVLOG_MAIN_LOGGER_ID, "child");
    if (!log.start()) _exit(3);
    MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "len: %d, colBytes: %d", 7, 21);
    std::exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::vector<std::string> lines = splitLines(readFile(dir.file("child.log")));
  ASSERT_EQ(lines.size(), 3u);
  // The child's line carries the child's own thread id (its pid).
  EXPECT_NE(lines[2].find(" [" + std::to_string(child) + "] LOG_DEBUG len: 7, colBytes: 21 writer_test.cpp:"),
            std::string::npos)
      << lines[2];
}

}  // namespace
