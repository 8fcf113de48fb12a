// Log files (names, month directories, sizes, refused opens, clean-up of
// old files), the writer thread, and the semaphore that start() waits on.
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <thread>

#include "tests/logging/LogTestSupport.h"

namespace {

using namespace marvik::test;

using LogWriterTest = LogTest;

TEST_F(LogWriterTest, RefusedOpensSwitchTheFileOff) {
  std::ofstream(dir.file("blocker")) << "x";
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"symlink", [&] { ASSERT_EQ(symlink(dir.file("target").c_str(), dir.file("x.log").c_str()), 0); }},
      {"fifo", [&] { ASSERT_EQ(mkfifo(dir.file("x.log").c_str(), 0666), 0); }},
      {"plain file in the path", [&] { manager.setLoggerPath(id, dir.file("blocker/sub").c_str()); }},
      {"month symlink",
       [&] { manager.setLoggerMonthdir(id, symlink(".", dir.file("2026_12").c_str()) == 0); }},
      {"hard link", [&] { ASSERT_EQ(link(dir.file("target").c_str(), dir.file("x.log").c_str()), 0); }},
  };
  for (const auto& [what, plant] : cases) {
    std::system(("rm -rf '" + dir.file("x.log") + "'").c_str());
    std::ofstream(dir.file("target")) << "kept\n";
    manager.setLoggerPath(id, dir.path.c_str());
    manager.setLoggerName(id, "x");
    manager.setLoggerOutFile(id, true);
    manager.setLoggerMonthdir(id, false);
    plant();
    logAt(utc(2026, 12, 5, 10, 0, 0), "secret");
    EXPECT_FALSE(info().outfile) << what;
    EXPECT_EQ(readFile(dir.file("target")), "kept\n") << what;
  }
  EXPECT_FALSE(marvlog::createRecursionDir(dir.file("blocker/sub")));
  marvlog::LogFileHandler file;  // nor is a hard-linked file emptied
  EXPECT_LT(file.open(dir.file("x.log").c_str(), "wb"), 0);
  EXPECT_EQ(readFile(dir.file("target")), "kept\n");
}

TEST_F(LogWriterTest, NamesMonthDirectoriesAndReserveTime) {
  // Month directories with missing parents and a backslash. April's first open
  // only adds its file to the history; a later one deletes March's file.
  // 4096 MiB is 2^32 bytes: wrapped to 0, every reopen would roll over.
  const std::string logs = dir.path + "/deep/er/logs/";
  manager.setLoggerPath(id, (dir.path + "/deep\\er/logs").c_str());
  manager.setLoggerMonthdir(id, true);
  manager.setLoggerReserveTime(id, 60);
  manager.setLoggerLimitsize(id, 4096);
  logAt(utc(2024, 3, 31, 23, 0, 0), "march");
  logAt(utc(2024, 4, 1, 0, 0, 0), "april");
  EXPECT_EQ(access((logs + "2024_03/app.log").c_str(), F_OK), 0);
  logAt(utc(2024, 4, 1, 0, 0, 1), "april later");
  EXPECT_NE(access((logs + "2024_03/app.log").c_str(), F_OK), 0);
  EXPECT_EQ(access((logs + "2024_04/app.log").c_str(), F_OK), 0);
  // An earlier run's file is appended to; files in use or younger than the reserve time stay.
  std::ofstream(logs + "x.log") << "earlier run\r\n";
  manager.setLoggerMonthdir(id, false);
  const int64_t t0 = utc(2024, 5, 1, 10, 0, 0);
  for (const auto& [name, when] :
       {std::pair{"x", t0}, {"y", t0 + 3590}, {"x", t0 + 3600}, {"z", t0 + 3601}, {"x", t0 + 3602}}) {
    manager.setLoggerName(id, name);
    logAt(when, name);
  }
  EXPECT_EQ(splitLines(readFile(logs + "x.log")).size(), 4u);
  EXPECT_EQ(access((logs + "y.log").c_str(), F_OK), 0);
  EXPECT_EQ(info().fileIndex, 0u);
  EXPECT_EQ(info().writtenBytes, readFile(logs + "x.log").size());
}

TEST(WriterThread, StartStopAndAnnouncements) {
  TempDir dir;
  marvlog::LogManager manager;
  manager.setLoggerPath(0, dir.path.c_str());
  manager.createLogger("net");
  manager.enableLogger(manager.createLogger("off"), false);
  EXPECT_FALSE(manager.stop());  // before start
  ASSERT_TRUE(manager.start());
  EXPECT_FALSE(manager.start());
  EXPECT_TRUE(manager.stop());
  EXPECT_FALSE(manager.isLoggerEnable(0) || manager.isLoggerEnable(1));
  const std::vector<std::string> lines = splitLines(readFile(dir.file("Main.log")));
  const std::string messages[] = {
      "-----------------  marvlog thread started!   ----------------------------",
      "logger id=0 key=Main name=Main path=" + dir.path + "/ level=1 display=true",
      "logger id=1 key=net name=net path=./log/ level=1 display=true"};
  ASSERT_EQ(lines.size(), std::size(messages));
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_NE(lines[i].find("] LOG_ALARM " + messages[i] + " LogManagerWriter.cpp:"), std::string::npos)
        << lines[i];
}

TEST_F(LogWriterTest, ConfigurationFileTakenOnceAndReloadedWhenItsTimeHasCome) {
  const std::string file = dir.file("log.conf");
  EXPECT_FALSE(manager.config(""));  // names no file, takes no slot
  std::ofstream(file) << "[app]\nlevel=alarm\npath=" << dir.path << "\n";
  ASSERT_TRUE(manager.config(file.c_str()));
  EXPECT_FALSE(manager.config(dir.file("other.conf").c_str()));
  manager.setAutoUpdate(5);
  std::ofstream(file, std::ios::trunc) << "[app]\nlevel=error\npath=" << dir.path << "\n[net]\n";
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // three cycles: too early
  EXPECT_EQ(info().level, marvlog::LOG_ALARM);
  fixedSeconds = fixedSeconds + 6;  // the writer's clock, not the test's, decides
  for (int i = 0; i < 500 && info().level != marvlog::LOG_ERROR; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(info().level, marvlog::LOG_ERROR);
  EXPECT_EQ(manager.findLogger("net"), -1);  // reloads change existing loggers only
  // A file over the size limit is refused unread.
  std::ofstream(file, std::ios::trunc) << "[app]\nlevel=info\n"
                                       << std::string(marvlog::detail::MARVLOG_CONFIG_MAX_BYTES, '#');
  EXPECT_FALSE(manager.updateConfig());
  EXPECT_EQ(info().level, marvlog::LOG_ERROR);
}

TEST(WriterThread, FourThreadsLoseNoLineAndTearNone) {
  TempDir dir("/dev/shm");  // every line is synced on close; this test is about threads
  marvlog::LogManager manager;
  manager.setLoggerLevel(0, marvlog::LOG_FATAL);  // no announcements
  const int id = manager.createLogger("stress");
  manager.setLoggerPath(id, dir.path.c_str());
  ASSERT_TRUE(manager.start());
  constexpr int kThreads = 4, kLinesEach = 2500;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t)
    workers.emplace_back([&manager, id, t] {
      for (int i = 0; i < kLinesEach; ++i)
        MARVLOG_FMT_TO(&manager, id, marvlog::LOG_INFO, "t%d n%d %s", t, i, "payload-payload-payload");
    });
  for (std::thread& w : workers) w.join();
  ASSERT_TRUE(manager.stop());
  const std::vector<std::string> lines = splitLines(readFile(dir.file("stress.log")));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesEach));
  std::vector<int> next(kThreads, 0);
  for (const std::string& line : lines) {
    int t = -1, n = -1, used = 0;
    const char* format = "%*s %*s [%*u] LOG_INFO t%d n%d payload-payload-payload LogWriterTest.cpp:%*d%n";
    ASSERT_EQ(std::sscanf(line.c_str(), format, &t, &n, &used), 2) << line;
    ASSERT_EQ(static_cast<size_t>(used), line.size()) << line;
    ASSERT_EQ(n, next.at(t)++) << line;  // each thread's lines in the order it logged them
  }
}

TEST(SemHelper, TimesOutOrTakesAPostFromAnotherThread) {
  marvlog::SemHelper sem;
  ASSERT_TRUE(sem.create(-5));
  EXPECT_FALSE(sem.wait(100));
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    sem.post();
  });
  EXPECT_TRUE(sem.wait(0));  // 0: no time-out
  poster.join();
}

}  // namespace
