// The writer side: log files (names, month directories, sizes, refused
// opens, clean-up of old files), the writer thread (start, stop,
// announcements, reloads), many threads logging at once, and the semaphore
// that start() waits on.
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>

#include "tests/logging/LogTestSupport.h"

namespace {

using namespace marvik::test;

using LogWriterTest = LogTest;

TEST_F(LogWriterTest, NamesAndMonthDirectories) {
  std::ofstream(dir.file("app.log")) << "earlier run\r\n";
  logAt(utc(2024, 3, 10, 23, 59, 59), "one");
  logAt(utc(2024, 3, 11, 0, 0, 0), "two");  // next day, same file
  const std::vector<std::string> lines = splitLines(readFile(dir.file("app.log")));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "earlier run");
  // Month directories with missing parents; a backslash separates too.
  manager.setLoggerPath(id, (dir.path + "/deep\\er/logs").c_str());
  manager.setLoggerMonthdir(id, true);
  logAt(utc(2024, 3, 31, 23, 59, 59), "march");
  logAt(utc(2024, 4, 1, 0, 0, 0), "april");
  EXPECT_NE(readFile(dir.path + "/deep/er/logs/2024_03/app.log").find("march"), std::string::npos);
  EXPECT_NE(readFile(dir.path + "/deep/er/logs/2024_04/app.log").find("april"), std::string::npos);
}

TEST_F(LogWriterTest, SizesAreCountedInSixtyFourBits) {
  // 4096 MiB is 2^32 bytes: wrapped to 0 it would count every reopen as a
  // roll-over.
  manager.setLoggerLimitsize(id, 4096);
  for (int i = 0; i < 3; ++i) logAt(utc(2026, 12, 5, 10, 0, i), "small");
  EXPECT_EQ(info().fileIndex, 0u);
  EXPECT_EQ(info().writtenBytes, readFile(dir.file("app.log")).size());
  // A sparse file past 4 GiB is over a 1 MiB limit, and is kept.
  const int fd = open(dir.file("big.log").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(ftruncate(fd, (int64_t{1} << 32) + 10), 0);
  close(fd);
  manager.setLoggerName(id, "big");
  manager.setLoggerLimitsize(id, 1);
  logAt(utc(2026, 12, 5, 11, 0, 0), "first");
  logAt(utc(2026, 12, 5, 11, 0, 1), "second");
  EXPECT_EQ(info().fileIndex, 1u);
  struct stat st {};
  ASSERT_EQ(stat(dir.file("big.log").c_str(), &st), 0);
  EXPECT_EQ(info().writtenBytes, static_cast<uint64_t>(st.st_size));
}

TEST_F(LogWriterTest, RefusedOpensSwitchTheFileOff) {
  std::ofstream(dir.file("blocker")) << "x";
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"symbolic link",
       [&] { ASSERT_EQ(symlink(dir.file("target").c_str(), dir.file("x.log").c_str()), 0); }},
      {"fifo", [&] { ASSERT_EQ(mkfifo(dir.file("x.log").c_str(), 0666), 0); }},
      {"directory", [&] { ASSERT_EQ(mkdir(dir.file("x.log").c_str(), 0777), 0); }},
      {"plain file in the path", [&] { manager.setLoggerPath(id, dir.file("blocker/sub").c_str()); }},
      {"over-long name", [&] { manager.setLoggerName(id, std::string(600, 'n').c_str()); }},
      {"hard link", [&] { ASSERT_EQ(link(dir.file("target").c_str(), dir.file("x.log").c_str()), 0); }},
  };
  for (const auto& [what, plant] : cases) {
    std::system(("rm -rf '" + dir.file("x.log") + "'").c_str());
    std::ofstream(dir.file("target")) << "kept\n";
    manager.setLoggerPath(id, dir.path.c_str());
    manager.setLoggerName(id, "x");
    manager.setLoggerOutFile(id, true);
    plant();
    logAt(utc(2026, 12, 5, 10, 0, 0), "secret");
    EXPECT_FALSE(info().outfile) << what;
    EXPECT_EQ(readFile(dir.file("target")), "kept\n") << what;
  }
  EXPECT_EQ(manager.getStatusTotalWriteCount(), 0u);
  EXPECT_FALSE(marvlog::createRecursionDir(dir.file("blocker/sub")));
  marvlog::LogFileHandler file;  // nor is a hard-linked file emptied
  EXPECT_LT(file.open(dir.file("x.log").c_str(), "wb"), 0);
  EXPECT_EQ(readFile(dir.file("target")), "kept\n");
}

TEST_F(LogWriterTest, ReserveTimeDeletesOldFilesButNeverTheOneInUse) {
  manager.setLoggerMonthdir(id, true);
  manager.setLoggerReserveTime(id, 60);
  const std::string march = dir.path + "/2024_03/app.log";
  logAt(utc(2024, 3, 31, 23, 0, 0), "march");
  // The first open in April only adds the new file to the history, however
  // old March's entry; a later one deletes March's file.
  logAt(utc(2024, 4, 1, 0, 0, 0), "april");
  EXPECT_EQ(access(march.c_str(), F_OK), 0);
  logAt(utc(2024, 4, 1, 0, 0, 1), "april later");
  EXPECT_NE(access(march.c_str(), F_OK), 0);
  logAt(utc(2024, 4, 30, 0, 0, 0), "april much later");
  EXPECT_EQ(access((dir.path + "/2024_04/app.log").c_str(), F_OK), 0);
  // A name used again sits in an old entry; its file is the one being
  // written and must survive the clean-up.
  manager.setLoggerMonthdir(id, false);
  const int64_t t0 = utc(2024, 5, 1, 10, 0, 0);
  for (const auto& [name, when] : {std::pair{"x", t0}, {"y", t0 + 1}, {"x", t0 + 3600}}) {
    manager.setLoggerName(id, name);
    logAt(when, name);
  }
  EXPECT_EQ(splitLines(readFile(dir.file("x.log"))).size(), 2u);
}

TEST(WriterThread, StartStopAndAnnouncements) {
  TempDir dir;
  marvlog::LogManager manager;
  manager.setLoggerPath(0, dir.path.c_str());
  manager.createLogger("net");
  manager.createLogger("off");
  manager.enableLogger(2, false);
  manager.setLoggerLevel(1, marvlog::LOG_WARN);
  EXPECT_FALSE(manager.stop());  // before start
  ASSERT_TRUE(manager.start());
  EXPECT_FALSE(manager.start());
  EXPECT_TRUE(manager.stop());
  EXPECT_FALSE(manager.stop());
  EXPECT_FALSE(manager.isLoggerEnable(0) || manager.isLoggerEnable(1));
  const std::vector<std::string> lines = splitLines(readFile(dir.file("Main.log")));
  const std::string messages[] = {
      "-----------------  marvlog thread started!   ----------------------------",
      "logger id=0 key=Main name=Main path=" + dir.path + "/ level=1 display=true",
      "logger id=1 key=net name=net path=./log/ level=3 display=true"};
  ASSERT_EQ(lines.size(), std::size(messages));
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_NE(lines[i].find("] LOG_ALARM " + messages[i] + " LogManagerWriter.cpp:"), std::string::npos)
        << lines[i];
  // A restart runs with the loggers off until they are enabled again.
  ASSERT_TRUE(manager.start());
  EXPECT_FALSE(manager.prePushLog(0, marvlog::LOG_FATAL));
  manager.enableLogger(0, true);
  EXPECT_TRUE(manager.prePushLog(0, marvlog::LOG_FATAL));
}

TEST_F(LogWriterTest, ReloadsTheConfigurationFileWhenItsTimeHasCome) {
  const std::string file = dir.file("log.conf");
  std::ofstream(file) << "[app]\nlevel=alarm\npath=" << dir.path << "\n";
  ASSERT_TRUE(manager.config(file.c_str()));
  manager.setAutoUpdate(5);
  std::ofstream(file, std::ios::trunc) << "[app]\nlevel=error\npath=" << dir.path << "\n";
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // three cycles: too early
  EXPECT_EQ(info().level, marvlog::LOG_ALARM);
  fixedSeconds = fixedSeconds + 6;  // the writer's clock, not the test's, decides
  for (int i = 0; i < 500 && info().level != marvlog::LOG_ERROR; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(info().level, marvlog::LOG_ERROR);
}

TEST(WriterThread, FourThreadsLoseNoLineAndTearNone) {
  // Memory-backed when the machine has it: every line is synced on close,
  // and this test is about threads, not disks.
  TempDir dir("/dev/shm");
  marvlog::LogManager manager;
  manager.setLoggerLevel(0, marvlog::LOG_FATAL);  // no announcements
  const int id = manager.createLogger("stress");
  manager.setLoggerPath(id, dir.path.c_str());
  ASSERT_TRUE(manager.start());
  constexpr int kThreads = 4, kLinesEach = 2500;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&manager, id, t] {
      for (int i = 0; i < kLinesEach; ++i)
        MARVLOG_FMT_TO(&manager, id, marvlog::LOG_INFO, "t%d n%d %s", t, i, "payload-payload-payload");
    });
  }
  for (std::thread& w : workers) w.join();
  ASSERT_TRUE(manager.stop());
  const std::vector<std::string> lines = splitLines(readFile(dir.file("stress.log")));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesEach));
  std::vector<int> next(kThreads, 0);
  for (const std::string& line : lines) {
    int t = -1, n = -1, used = 0;
    ASSERT_EQ(std::sscanf(line.c_str(),
                          "%*4d-%*2d-%*2d %*2d:%*2d:%*2d.%*3d [%*u] LOG_INFO t%d n%d "
                          "payload-payload-payload LogWriterTest.cpp:%*d%n",
                          &t, &n, &used),
              2)
        << line;
    ASSERT_EQ(static_cast<size_t>(used), line.size()) << line;
    ASSERT_TRUE(t >= 0 && t < kThreads) << line;
    ASSERT_EQ(n, next[t]++) << line;  // each thread's lines in the order it logged them
  }
  EXPECT_EQ(manager.getStatusTotalWriteCount(), static_cast<uint64_t>(kThreads * kLinesEach));
}

TEST(SemHelper, TimesOutOrTakesAPostFromAnotherThread) {
  marvlog::SemHelper sem;
  ASSERT_TRUE(sem.create(-5));
  EXPECT_FALSE(sem.wait(100));
  for (int timeout : {0, 3000}) {  // 0: no time-out
    std::thread poster([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      sem.post();
    });
    EXPECT_TRUE(sem.wait(timeout)) << timeout;
    poster.join();
  }
}

}  // namespace
