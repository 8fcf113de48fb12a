// The writer thread: start and stop, its announcements, and periodic
// configuration reloads.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

using namespace marvlog_test;
using marvlog::LogManager;

TEST(WriterThread, StartAndStopSemantics) {
  TempDir dir;
  LogManager manager;
  manager.setLoggerPath(0, dir.path().c_str());
  const int net = manager.createLogger("net");
  EXPECT_FALSE(manager.stop());  // before start
  ASSERT_TRUE(manager.start());
  EXPECT_FALSE(manager.start());  // twice
  EXPECT_TRUE(manager.stop());
  EXPECT_FALSE(manager.stop());
  EXPECT_FALSE(manager.isLoggerEnable(0));
  EXPECT_FALSE(manager.isLoggerEnable(net));
  EXPECT_EQ(manager.getPoolSize(), 0u);

  // A restart runs again, with the loggers still off until enabled.
  ASSERT_TRUE(manager.start());
  EXPECT_FALSE(manager.prePushLog(0, marvlog::LOG_FATAL));
  manager.enableLogger(0, true);
  EXPECT_TRUE(manager.prePushLog(0, marvlog::LOG_FATAL));
  EXPECT_TRUE(manager.stop());
}

TEST(WriterThread, ConcurrentStartsMakeOneThread) {
  TempDir dir;
  LogManager manager;
  manager.setLoggerPath(0, dir.path().c_str());
  std::atomic<int> started{0};
  std::vector<std::thread> starters;
  for (int i = 0; i < 4; ++i) starters.emplace_back([&] { started += manager.start() ? 1 : 0; });
  for (std::thread& t : starters) t.join();
  EXPECT_EQ(started.load(), 1);
  EXPECT_EQ(readFile(dir.file("Main.log")).find("thread started"),
            readFile(dir.file("Main.log")).rfind("thread started"));
  EXPECT_TRUE(manager.stop());
}

TEST(WriterThread, AnnouncesItselfAndEachEnabledLogger) {
  TempDir dir;
  LogManager manager;
  manager.setLoggerPath(0, dir.path().c_str());
  manager.setLoggerName(0, "main");
  manager.createLogger("net");
  manager.createLogger("off");
  manager.enableLogger(2, false);
  manager.createLogger("disk");
  manager.setLoggerLevel(3, marvlog::LOG_WARN);
  manager.setLoggerDisplay(3, false);
  ASSERT_TRUE(manager.start());
  ASSERT_TRUE(manager.stop());
  const std::vector<std::string> lines = splitLines(readFile(dir.file("main.log")));
  ASSERT_EQ(lines.size(), 4u);
  const std::string path = dir.path() + "/";
  const std::vector<std::string> messages = {
      "-----------------  marvlog thread started!   ----------------------------",
      "logger id=0 key=Main name=main path=" + path + " level=1 display=true",
      "logger id=1 key=net name=net path=./log/ level=1 display=true",
      "logger id=3 key=disk name=disk path=./log/ level=3 display=false",
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].find("] LOG_ALARM " + messages[i] + " log_writer.cpp:"), std::string::npos)
        << lines[i];
  }
}

TEST(WriterThread, NoAnnouncementsAboveTheMainLoggersLevel) {
  TempDir dir;
  LogManager manager;
  manager.setLoggerPath(0, dir.path().c_str());
  manager.setLoggerLevel(0, marvlog::LOG_FATAL);
  ASSERT_TRUE(manager.start());
  ASSERT_TRUE(manager.stop());
  EXPECT_FALSE(fileExists(dir.file("Main.log")));
}

TEST(WriterThread, ReloadsAChangedConfigurationFile) {
  TempDir dir;
  const std::string file = dir.file("log.conf");
  std::ofstream(file) << "[main]\npath=" << dir.path() << "\nlevel=info\n";
  LogManager manager;
  ASSERT_TRUE(manager.config(file.c_str()));
  ASSERT_TRUE(manager.setAutoUpdate(1));
  ASSERT_TRUE(manager.start());
  std::ofstream(file, std::ios::trunc) << "[main]\npath=" << dir.path() << "\nlevel=error\n[new]\n";
  // Polled with a generous bound: the reload comes once more than a second
  // has passed.
  for (int i = 0; i < 200 && manager.getLoggerInfo(0).level.load() != marvlog::LOG_ERROR; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(manager.getLoggerInfo(0).level.load(), marvlog::LOG_ERROR);
  EXPECT_EQ(manager.findLogger("new"), -1);
  EXPECT_TRUE(manager.stop());
}

}  // namespace
