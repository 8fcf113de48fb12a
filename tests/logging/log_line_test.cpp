// Byte-exact log lines and the statement's acceptance rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace marvlog_test;
using marvlog::LogData;

class LogLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setZone("UTC0");
    fixedSeconds = localEpoch(2026, 12, 5, 20, 19, 48);
    fixedMicros = 123456;
    fixedThread = 4567;
    manager.setClock(fixedClock);
    manager.setThreadIdSource(fixedThreadId);
    manager.enableLogger(0, false);  // keeps the writer's announcements out
    id = manager.createLogger("t");
    manager.setLoggerPath(id, dir.path().c_str());
    manager.setLoggerLevel(id, marvlog::LOG_TRACE);
    ASSERT_TRUE(manager.start());
  }

  // One statement on a fresh thread; returns the bytes it added to the file.
  std::string logOnce(int level, const char* file, int line, const std::string& text) {
    const size_t before = readFile(dir.file("t.log")).size();
    onFreshThread([&] {
      LogData* record = manager.makeLogData(id, level);
      marvlog::appendFormat(record, "%s", text.c_str());
      manager.pushLog(record, file, line);
    });
    return readFile(dir.file("t.log")).substr(before);
  }

  TempDir dir;
  marvlog::LogManager manager;
  int id = -1;
};

TEST_F(LogLineTest, PrefixMessageAndSuffix) {
  const std::string example =
      "2026-12-05 20:19:48.123 [4567] LOG_DEBUG DEBUG: Duplex = 0\n rastertomarvik:114\r\n";
  EXPECT_EQ(logOnce(marvlog::LOG_DEBUG, "rastertomarvik", 114, "DEBUG: Duplex = 0\n"), example);
  EXPECT_EQ(manager.getStatusTotalWriteCount(), 1u);
  EXPECT_EQ(manager.getStatusTotalWriteBytes(), example.size());
  struct Case {
    int64_t seconds;
    uint32_t micros, thread;
    int level;
    const char* prefix;
  };
  const std::vector<Case> cases = {
      {localEpoch(2026, 3, 1, 4, 5, 6), 5000, 7, marvlog::LOG_INFO,
       "2026-03-01 04:05:06.005 [0007] LOG_INFO "},
      {localEpoch(2026, 3, 1, 0, 0, 0), 999999, 123456, marvlog::LOG_WARN,
       "2026-03-01 00:00:00.999 [123456] LOG_WARN "},
      {localEpoch(2026, 12, 31, 23, 59, 59), 0, 0, marvlog::LOG_TRACE,
       "2026-12-31 23:59:59.000 [0000] LOG_TRACE "},
  };
  for (const Case& c : cases) {
    fixedSeconds = c.seconds;
    fixedMicros = c.micros;
    fixedThread = c.thread;
    EXPECT_EQ(logOnce(c.level, "f", 2, "m"), std::string(c.prefix) + "m f:2\r\n");
  }
}

TEST_F(LogLineTest, SuffixRules) {
  struct Case {
    bool fileline;
    const char* file;
    int line;
    const char* tail;
  };
  const std::vector<Case> cases = {
      {true, "a/b\\c", 7, "m c:7\r\n"},    {true, "/src/filter/x.cpp", 120, "m x.cpp:120\r\n"},
      {true, "plain", 0, "m plain:0\r\n"}, {true, nullptr, 7, "m\r\n"},
      {false, "a/b", 7, "m\r\n"},
  };
  for (const Case& c : cases) {
    manager.setLoggerFileLine(id, c.fileline);
    const std::string line = logOnce(marvlog::LOG_DEBUG, c.file, c.line, "m");
    EXPECT_EQ(line.substr(41), c.tail) << (c.file ? c.file : "(null)");
  }
}

TEST_F(LogLineTest, OverlongMessagesAreCutTo8189Bytes) {
  // The prefix is 41 bytes; the suffix " file:1" needs 2 bytes for each of
  // its blank and colon and more than 64 for the number.
  struct Case {
    size_t message, lineSize;  // CR LF included
    const char* tail;
  };
  const std::vector<Case> cases = {
      {8000, 41 + 8000 + 7 + 2, "x file:1\r\n"},
      {8120, 41 + 8120 + 6 + 2, "x file:\r\n"},
      {8150, 8191, "xx\r\n"},
      {8192, 8191, "xx\r\n"},
      {20000, 8191, "xx\r\n"},
  };
  for (const Case& c : cases) {
    const std::string line = logOnce(marvlog::LOG_DEBUG, "file", 1, std::string(c.message, 'x'));
    EXPECT_EQ(line.size(), c.lineSize) << c.message;
    EXPECT_EQ(line.substr(line.size() - std::string(c.tail).size()), c.tail) << c.message;
    EXPECT_EQ(line.find('\0'), std::string::npos) << c.message;
  }
}

TEST_F(LogLineTest, RefusedStatementsEvaluateAndWriteNothing) {
  int evaluated = 0;
  manager.setLoggerLevel(id, marvlog::LOG_WARN);
  MARVLOG_FMT_TO(&manager, id, marvlog::LOG_INFO, "below %d", ++evaluated);
  MARVLOG_STREAM_TO(&manager, id, marvlog::LOG_DEBUG) << ++evaluated;
  MARVLOG_FMT_TO(&manager, id, 7, "no such level %d", ++evaluated);
  MARVLOG_FMT_TO(&manager, 5, marvlog::LOG_FATAL, "no such logger %d", ++evaluated);
  EXPECT_EQ(evaluated, 0);
  EXPECT_EQ(manager.makeLogData(id, 7), nullptr);
  EXPECT_FALSE(manager.pushLog(nullptr, "f", 1));
  manager.enableLogger(id, false);
  LogData* record = manager.makeLogData(id, marvlog::LOG_FATAL);
  ASSERT_NE(record, nullptr);
  EXPECT_FALSE(manager.pushLog(record, "f", 1));
  EXPECT_FALSE(fileExists(dir.file("t.log")));
}

TEST(LogRecordPool, KeepsAtMostTwoHundredRecords) {
  marvlog::LogManager manager;
  std::vector<LogData*> records;
  for (int i = 0; i < 201; ++i) records.push_back(manager.makeLogData(0, marvlog::LOG_DEBUG));
  for (LogData* record : records) manager.freeLogData(record);
  EXPECT_EQ(manager.getPoolSize(), 200u);
  LogData* reused = manager.makeLogData(0, marvlog::LOG_DEBUG);
  EXPECT_EQ(manager.getPoolSize(), 199u);
  manager.freeLogData(reused);
}

}  // namespace
