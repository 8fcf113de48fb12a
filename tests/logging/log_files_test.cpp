// Log files: names and month directories, day and size bookkeeping, refused
// opens, and the clean-up of old files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

#include "test_support.h"

namespace {

using namespace marvlog_test;

class LogFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setZone("UTC0");
    manager.setClock(fixedClock);
    manager.enableLogger(0, false);
    id = manager.createLogger("app");
    manager.setLoggerPath(id, dir.path().c_str());
    ASSERT_TRUE(manager.start());
  }

  void logAt(int64_t seconds, const char* text) {
    fixedSeconds = seconds;
    onFreshThread([&] { MARVLOG_FMT_TO(&manager, id, marvlog::LOG_INFO, "%s", text); });
  }
  marvlog::LoggerInfo info() { return manager.getLoggerInfo(id); }

  TempDir dir;
  marvlog::LogManager manager;
  int id = -1;
};

TEST_F(LogFilesTest, NamesDaysAndMonthDirectories) {
  std::ofstream(dir.file("app.log")) << "earlier run\r\n";
  logAt(localEpoch(2024, 3, 10, 23, 59, 59), "one");
  logAt(localEpoch(2024, 3, 11, 0, 0, 0), "two");  // next day, same file
  const std::vector<std::string> lines = splitLines(readFile(dir.file("app.log")));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "earlier run");
  EXPECT_EQ(info().fileDayStart, localEpoch(2024, 3, 11, 0, 0, 0));

  // Month directories with missing parents; a backslash separates too.
  manager.setLoggerPath(id, (dir.path() + "/deep\\er/logs").c_str());
  manager.setLoggerMonthdir(id, true);
  logAt(localEpoch(2024, 3, 31, 23, 59, 59), "march");
  logAt(localEpoch(2024, 4, 1, 0, 0, 0), "april");
  EXPECT_NE(readFile(dir.path() + "/deep/er/logs/2024_03/app.log").find("march"), std::string::npos);
  EXPECT_NE(readFile(dir.path() + "/deep/er/logs/2024_04/app.log").find("april"), std::string::npos);

  // The 25-hour day of a clock change is one day.
  setZone("CET-1CEST,M3.5.0,M10.5.0/3");
  logAt(localEpoch(2026, 10, 25, 23, 30, 0), "late");
  EXPECT_EQ(info().fileDayEnd - info().fileDayStart, 25 * 3600);
}

TEST_F(LogFilesTest, SizesAreCountedInSixtyFourBits) {
  // 4096 MiB is 2^32 bytes: wrapped to 0 it would count every reopen as a
  // roll-over.
  manager.setLoggerLimitsize(id, 4096);
  for (int i = 0; i < 3; ++i) logAt(localEpoch(2026, 12, 5, 10, 0, i), "small");
  EXPECT_EQ(info().fileIndex, 0u);
  // A sparse file past 4 GiB is over a 1 MiB limit, and is kept.
  const int fd = open(dir.file("big.log").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(ftruncate(fd, (int64_t{1} << 32) + 10), 0);
  close(fd);
  manager.setLoggerName(id, "big");
  manager.setLoggerLimitsize(id, 1);
  logAt(localEpoch(2026, 12, 5, 11, 0, 0), "first");
  logAt(localEpoch(2026, 12, 5, 11, 0, 1), "second");
  EXPECT_GT(info().writtenBytes, uint64_t{1} << 32);
  EXPECT_EQ(info().fileIndex, 1u);
  struct stat st {};
  ASSERT_EQ(stat(dir.file("big.log").c_str(), &st), 0);
  EXPECT_GT(st.st_size, (int64_t{1} << 32) + 10);
}

TEST_F(LogFilesTest, RefusedOpensSwitchTheFileOff) {
  std::ofstream(dir.file("blocker")) << "x";
  const std::vector<std::pair<const char*, std::function<void()>>> cases = {
      {"symbolic link",
       [&] { ASSERT_EQ(symlink(dir.file("target").c_str(), dir.file("app.log").c_str()), 0); }},
      {"hard link", [&] { ASSERT_EQ(link(dir.file("target").c_str(), dir.file("app.log").c_str()), 0); }},
      {"fifo", [&] { ASSERT_EQ(mkfifo(dir.file("app.log").c_str(), 0666), 0); }},
      {"plain file in the path", [&] { manager.setLoggerPath(id, dir.file("blocker/sub").c_str()); }},
      {"over-long name", [&] { manager.setLoggerName(id, std::string(600, 'n').c_str()); }},
  };
  for (const auto& c : cases) {
    std::system(("rm -f '" + dir.file("app.log") + "'").c_str());
    std::ofstream(dir.file("target"), std::ios::trunc) << "kept\n";
    manager.setLoggerPath(id, dir.path().c_str());
    manager.setLoggerName(id, "app");
    manager.setLoggerOutFile(id, true);
    c.second();
    logAt(localEpoch(2026, 12, 5, 10, 0, 0), "secret");
    EXPECT_FALSE(info().outfile.load()) << c.first;
    EXPECT_EQ(readFile(dir.file("target")), "kept\n") << c.first;
  }
  EXPECT_EQ(manager.getStatusTotalWriteCount(), 0u);
  // Nor is a hard-linked file emptied.
  ASSERT_EQ(link(dir.file("target").c_str(), dir.file("app.log").c_str()), 0);
  marvlog::LogFileHandler file;
  EXPECT_LT(file.open(dir.file("app.log").c_str(), "wb"), 0);
  EXPECT_EQ(readFile(dir.file("target")), "kept\n");
}

TEST_F(LogFilesTest, ReserveTimeDeletesOldFilesButNeverTheOneInUse) {
  manager.setLoggerMonthdir(id, true);
  manager.setLoggerReserveTime(id, 60);
  const std::string march = dir.path() + "/2024_03/app.log";
  logAt(localEpoch(2024, 3, 31, 23, 59, 50), "march");
  logAt(localEpoch(2024, 4, 1, 0, 0, 0), "april");
  logAt(localEpoch(2024, 4, 1, 0, 0, 30), "april, march entry 40 s old");
  EXPECT_TRUE(fileExists(march));
  logAt(localEpoch(2024, 4, 1, 0, 5, 0), "april later");
  EXPECT_FALSE(fileExists(march));
  logAt(localEpoch(2024, 4, 30, 0, 0, 0), "april much later");
  EXPECT_TRUE(fileExists(dir.path() + "/2024_04/app.log"));

  // A name used again sits in an old entry; its file is the one being
  // written and must survive the clean-up.
  manager.setLoggerMonthdir(id, false);
  const int64_t t0 = localEpoch(2024, 5, 1, 10, 0, 0);
  for (const auto& use :
       std::vector<std::pair<const char*, int64_t>>{{"x", t0}, {"y", t0 + 1}, {"x", t0 + 3600}}) {
    manager.setLoggerName(id, use.first);
    logAt(use.second, use.first);
  }
  EXPECT_EQ(splitLines(readFile(dir.file("x.log"))).size(), 2u);
}

}  // namespace
