// Log files: names and month directories, day and size bookkeeping, refused
// opens, and the clean-up of old files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "test_support.h"

namespace {

using namespace marvlog_test;
using marvlog::LogManager;

class LogFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setZone("UTC0");
    fixedMicros = 0;
    fixedThread = 1;
    manager.setClock(fixedClock);
    manager.setThreadIdSource(fixedThreadId);
    manager.enableLogger(0, false);
    id = manager.createLogger("app");
    manager.setLoggerPath(id, dir.path().c_str());
    ASSERT_TRUE(manager.start());
  }

  void logAt(int64_t seconds, const char* text) {
    fixedSeconds = seconds;
    onFreshThread([&] { MARVLOG_FMT_TO(&manager, id, marvlog::LOG_INFO, "%s", text); });
  }

  TempDir dir;
  LogManager manager;
  int id = -1;
};

TEST_F(LogFilesTest, AppendsToPathNameDotLog) {
  const std::string file = dir.file("app.log");
  std::ofstream(file) << "earlier run\r\n";
  logAt(localEpoch(2024, 3, 10, 12, 0, 0), "one");
  logAt(localEpoch(2024, 3, 10, 12, 0, 1), "two");
  const std::vector<std::string> lines = splitLines(readFile(file));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "earlier run");
  EXPECT_EQ(lines[2].substr(0, 40), "2024-03-10 12:00:01.000 [0001] LOG_INFO ");
  EXPECT_EQ(manager.getStatusTotalWriteCount(), 2u);
}

TEST_F(LogFilesTest, MonthDirectoriesWithMissingParents) {
  manager.setLoggerPath(id, (dir.path() + "/deep\\er/logs").c_str());
  manager.setLoggerMonthdir(id, true);
  logAt(localEpoch(2024, 3, 31, 23, 59, 59), "march");
  logAt(localEpoch(2024, 4, 1, 0, 0, 0), "april");
  // A backslash separates directories like a slash does.
  const std::string march = readFile(dir.path() + "/deep/er/logs/2024_03/app.log");
  const std::string april = readFile(dir.path() + "/deep/er/logs/2024_04/app.log");
  EXPECT_NE(march.find("march"), std::string::npos);
  EXPECT_EQ(march.find("april"), std::string::npos);
  EXPECT_NE(april.find("april"), std::string::npos);
}

TEST_F(LogFilesTest, DayChangeReopensTheSameFile) {
  logAt(localEpoch(2026, 12, 5, 23, 59, 59), "late");
  const int64_t firstDay = manager.getLoggerInfo(id).fileDayStart;
  logAt(localEpoch(2026, 12, 6, 0, 0, 0), "early");
  const marvlog::LoggerInfo info = manager.getLoggerInfo(id);
  EXPECT_EQ(firstDay, localEpoch(2026, 12, 5, 0, 0, 0));
  EXPECT_EQ(info.fileDayStart, localEpoch(2026, 12, 6, 0, 0, 0));
  EXPECT_EQ(info.fileIndex, 0u);
  EXPECT_EQ(splitLines(readFile(dir.file("app.log"))).size(), 2u);
}

TEST_F(LogFilesTest, LongDayOfAClockChangeIsOneDay) {
  setZone("CET-1CEST,M3.5.0,M10.5.0/3");
  logAt(localEpoch(2026, 10, 25, 23, 30, 0), "last hour of a 25-hour day");
  const marvlog::LoggerInfo info = manager.getLoggerInfo(id);
  EXPECT_EQ(info.fileDayStart, localEpoch(2026, 10, 25, 0, 0, 0));
  EXPECT_EQ(info.fileDayEnd - info.fileDayStart, 25 * 3600);
  EXPECT_NE(readFile(dir.file("app.log")).find("2026-10-25 23:30:00"), std::string::npos);
}

TEST_F(LogFilesTest, SizesAreCountedInSixtyFourBits) {
  // A limit of 4096 MiB is 2^32 bytes: it must not wrap to 0 and make every
  // reopen count as a roll-over.
  manager.setLoggerLimitsize(id, 4096);
  for (int i = 0; i < 3; ++i) logAt(localEpoch(2026, 12, 5, 10, 0, i), "small");
  EXPECT_EQ(manager.getLoggerInfo(id).fileIndex, 0u);

  // A file past 4 GiB (sparse) is over a 1 MiB limit, not 10 bytes long.
  const std::string big = dir.file("big.log");
  const int fd = open(big.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, (int64_t{1} << 32) + 10), 0);
  close(fd);
  manager.setLoggerName(id, "big");
  manager.setLoggerLimitsize(id, 1);
  logAt(localEpoch(2026, 12, 5, 11, 0, 0), "first");
  EXPECT_GT(manager.getLoggerInfo(id).writtenBytes, uint64_t{1} << 32);
  logAt(localEpoch(2026, 12, 5, 11, 0, 1), "second");
  EXPECT_EQ(manager.getLoggerInfo(id).fileIndex, 1u);
  struct stat st {};
  ASSERT_EQ(stat(big.c_str(), &st), 0);
  EXPECT_GT(st.st_size, (int64_t{1} << 32) + 10);  // kept and appended to
}

TEST_F(LogFilesTest, RefusedOpensSwitchTheFileOff) {
  struct Case {
    const char* what;
    std::function<void(const std::string& file)> plant;
  };
  const std::vector<Case> cases = {
      {"symbolic link",
       [](const std::string& file) { ASSERT_EQ(symlink((file + ".target").c_str(), file.c_str()), 0); }},
      {"fifo", [](const std::string& file) { ASSERT_EQ(mkfifo(file.c_str(), 0666), 0); }},
      {"directory", [](const std::string& file) { ASSERT_EQ(mkdir(file.c_str(), 0777), 0); }},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string name = "planted" + std::to_string(n++);
    c.plant(dir.file(name + ".log"));
    manager.setLoggerName(id, name.c_str());
    manager.setLoggerOutFile(id, true);
    logAt(localEpoch(2026, 12, 5, 10, 0, 0), "secret");
    EXPECT_FALSE(manager.getLoggerInfo(id).outfile.load()) << c.what;
    EXPECT_FALSE(fileExists(dir.file(name + ".log.target"))) << c.what;
  }
  // A directory that cannot be made: a plain file stands in its way.
  std::ofstream(dir.file("blocker")) << "x";
  manager.setLoggerPath(id, (dir.path() + "/blocker/sub").c_str());
  manager.setLoggerName(id, "app");
  manager.setLoggerOutFile(id, true);
  logAt(localEpoch(2026, 12, 5, 10, 0, 0), "lost");
  EXPECT_FALSE(manager.getLoggerInfo(id).outfile.load());
  EXPECT_EQ(manager.getStatusTotalWriteCount(), 0u);
  // Over-long paths are refused the same way.
  manager.setLoggerPath(id, dir.path().c_str());
  manager.setLoggerName(id, std::string(600, 'n').c_str());
  manager.setLoggerOutFile(id, true);
  logAt(localEpoch(2026, 12, 5, 10, 0, 0), "lost");
  EXPECT_FALSE(manager.getLoggerInfo(id).outfile.load());
}

TEST_F(LogFilesTest, ReserveTimeDeletesOldMonthFiles) {
  manager.setLoggerMonthdir(id, true);
  manager.setLoggerReserveTime(id, 60);
  const std::string march = dir.path() + "/2024_03/app.log";
  const std::string april = dir.path() + "/2024_04/app.log";
  logAt(localEpoch(2024, 3, 31, 23, 59, 50), "march");
  logAt(localEpoch(2024, 4, 1, 0, 0, 0), "april, march still young");
  EXPECT_TRUE(fileExists(march));
  logAt(localEpoch(2024, 4, 1, 0, 0, 30), "april again");
  EXPECT_TRUE(fileExists(march));  // its entry is not yet 60 s old
  logAt(localEpoch(2024, 4, 1, 0, 5, 0), "april later");
  EXPECT_FALSE(fileExists(march));
  logAt(localEpoch(2024, 4, 30, 0, 0, 0), "april much later");
  EXPECT_TRUE(fileExists(april));  // the newest file is never deleted
}

TEST_F(LogFilesTest, ReserveTimeNeverDeletesTheFileItOpens) {
  manager.setLoggerReserveTime(id, 60);
  manager.setLoggerName(id, "x");
  logAt(localEpoch(2024, 3, 1, 10, 0, 0), "x first");
  manager.setLoggerName(id, "y");
  logAt(localEpoch(2024, 3, 1, 10, 0, 1), "y");
  manager.setLoggerName(id, "x");
  logAt(localEpoch(2024, 3, 1, 11, 0, 0), "x again");
  const std::string x = readFile(dir.file("x.log"));
  EXPECT_NE(x.find("x first"), std::string::npos);
  EXPECT_NE(x.find("x again"), std::string::npos);
}

}  // namespace
