// Byte-exact log lines: prefix, message, suffix and terminator, and the
// statement's acceptance rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace marvlog_test;
using marvlog::LogData;
using marvlog::LogManager;

class LogLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setZone("UTC0");
    fixedSeconds = localEpoch(2026, 12, 5, 20, 19, 48);
    fixedMicros = 123456;
    fixedThread = 4567;
    manager.setClock(fixedClock);
    manager.setThreadIdSource(fixedThreadId);
    // Logger 1 takes the lines under test; the main logger stays quiet so
    // that the writer's announcements do not land anywhere.
    manager.enableLogger(0, false);
    id = manager.createLogger("t");
    manager.setLoggerPath(id, dir.path().c_str());
    ASSERT_TRUE(manager.start());
  }

  // One formatted statement issued on a fresh thread; returns the bytes
  // it added to the log file.
  std::string logOnce(int level, const char* file, int line, const char* text) {
    const std::string before = readFile(logFile());
    onFreshThread([&] {
      if (!manager.prePushLog(id, level)) return;
      LogData* record = manager.makeLogData(id, level);
      marvlog::appendFormat(record, "%s", text);
      manager.pushLog(record, file, line);
    });
    return readFile(logFile()).substr(before.size());
  }

  std::string logFile() const { return dir.file("t.log"); }

  TempDir dir;
  LogManager manager;
  int id = -1;
};

TEST_F(LogLineTest, DocumentedExampleLine) {
  const std::string expected =
      "2026-12-05 20:19:48.123 [4567] LOG_DEBUG DEBUG: Duplex = 0\n rastertomarvik:114\r\n";
  onFreshThread([&] {
    LogData* record = manager.makeLogData(id, marvlog::LOG_DEBUG);
    marvlog::appendFormat(record, "DEBUG: Duplex = %d\n", 0);
    EXPECT_TRUE(manager.pushLog(record, "rastertomarvik", 114));
  });
  EXPECT_EQ(readFile(logFile()), expected);
  EXPECT_EQ(manager.getStatusTotalWriteCount(), 1u);
  EXPECT_EQ(manager.getStatusTotalWriteBytes(), expected.size());
}

TEST_F(LogLineTest, LevelNames) {
  const std::vector<std::pair<int, const char*>> cases = {
      {marvlog::LOG_TRACE, "] LOG_TRACE m x:1\r\n"}, {marvlog::LOG_DEBUG, "] LOG_DEBUG m x:1\r\n"},
      {marvlog::LOG_INFO, "] LOG_INFO m x:1\r\n"},   {marvlog::LOG_WARN, "] LOG_WARN m x:1\r\n"},
      {marvlog::LOG_ERROR, "] LOG_ERROR m x:1\r\n"}, {marvlog::LOG_ALARM, "] LOG_ALARM m x:1\r\n"},
      {marvlog::LOG_FATAL, "] LOG_FATAL m x:1\r\n"},
  };
  manager.setLoggerLevel(id, marvlog::LOG_TRACE);
  for (const auto& c : cases) {
    const std::string line = logOnce(c.first, "x", 1, "m");
    EXPECT_EQ(line.substr(line.find(']')), c.second) << c.first;
  }
}

TEST_F(LogLineTest, PrefixPieces) {
  struct Case {
    int64_t seconds;
    uint32_t micros;
    uint32_t thread;
    const char* prefix;
  };
  const std::vector<Case> cases = {
      {localEpoch(2026, 3, 1, 4, 5, 6), 5000, 7, "2026-03-01 04:05:06.005 [0007] "},
      {localEpoch(2026, 3, 1, 0, 0, 0), 999999, 123456, "2026-03-01 00:00:00.999 [123456] "},
      {localEpoch(2026, 12, 31, 23, 59, 59), 0, 0, "2026-12-31 23:59:59.000 [0000] "},
  };
  for (const Case& c : cases) {
    fixedSeconds = c.seconds;
    fixedMicros = c.micros;
    fixedThread = c.thread;
    EXPECT_EQ(logOnce(marvlog::LOG_ERROR, "f", 2, "m"), std::string(c.prefix) + "LOG_ERROR m f:2\r\n");
  }
}

TEST_F(LogLineTest, SourceFileSuffix) {
  struct Case {
    bool fileline;
    const char* file;
    int line;
    const char* tail;
  };
  const std::vector<Case> cases = {
      {true, "a/b\\c", 7, "m c:7\r\n"},
      {true, "/src/filter/rastertomarvik.cpp", 120, "m rastertomarvik.cpp:120\r\n"},
      {true, "plain", 0, "m plain:0\r\n"},
      {true, "dir/", 3, "m :3\r\n"},
      {true, nullptr, 7, "m\r\n"},
      {false, "a/b", 7, "m\r\n"},
  };
  for (const Case& c : cases) {
    manager.setLoggerFileLine(id, c.fileline);
    const std::string line = logOnce(marvlog::LOG_DEBUG, c.file, c.line, "m");
    EXPECT_EQ(line.substr(line.find("] ") + 12), c.tail) << (c.file ? c.file : "(null)");
  }
}

TEST_F(LogLineTest, OverlongMessagesAreCutTo8189Bytes) {
  // The prefix "2026-12-05 20:19:48.123 [4567] LOG_DEBUG " is 41 bytes.
  struct Case {
    size_t message;
    size_t lineSize;  // CR LF included
    const char* tail;
  };
  const std::vector<Case> cases = {
      {8000, 41 + 8000 + 7 + 2, "x file:1\r\n"},
      // 31 bytes left: blank, name and ":" fit, a number needs more than 64.
      {8120, 41 + 8120 + 6 + 2, "x file:\r\n"},
      {8150, 8191, "xx\r\n"},
      {8192, 8191, "xx\r\n"},
      {20000, 8191, "xx\r\n"},
  };
  for (const Case& c : cases) {
    const std::string line = logOnce(marvlog::LOG_DEBUG, "file", 1, std::string(c.message, 'x').c_str());
    EXPECT_EQ(line.size(), c.lineSize) << c.message;
    EXPECT_EQ(line.substr(line.size() - std::string(c.tail).size()), c.tail) << c.message;
    EXPECT_EQ(line.find('\0'), std::string::npos) << c.message;
  }
}

TEST_F(LogLineTest, RefusedStatementsWriteNothing) {
  int evaluated = 0;
  auto count = [&] { return ++evaluated; };
  manager.setLoggerLevel(id, marvlog::LOG_WARN);
  MARVLOG_FMT_TO(&manager, id, marvlog::LOG_INFO, "below %d", count());
  MARVLOG_STREAM_TO(&manager, id, marvlog::LOG_DEBUG) << count();
  MARVLOG_FMT_TO(&manager, id, 7, "no such level %d", count());
  MARVLOG_FMT_TO(&manager, 5, marvlog::LOG_FATAL, "no such logger %d", count());
  EXPECT_EQ(evaluated, 0);

  manager.enableLogger(id, false);
  for (int level = marvlog::LOG_TRACE; level <= marvlog::LOG_FATAL; ++level) {
    EXPECT_FALSE(manager.prePushLog(id, level)) << level;
  }
  LogData* record = manager.makeLogData(id, marvlog::LOG_FATAL);
  ASSERT_NE(record, nullptr);
  EXPECT_FALSE(manager.pushLog(record, "f", 1));
  EXPECT_FALSE(manager.pushLog(nullptr, "f", 1));
  EXPECT_EQ(manager.makeLogData(id, -1), nullptr);
  EXPECT_EQ(manager.makeLogData(id, 7), nullptr);
  EXPECT_FALSE(fileExists(logFile()));
  EXPECT_EQ(manager.getStatusTotalWriteCount(), 0u);
}

TEST_F(LogLineTest, AcceptedStatementsOfBothForms) {
  manager.setLoggerLevel(id, marvlog::LOG_INFO);
  MARVLOG_FMT_TO(&manager, id, marvlog::LOG_INFO, "len: %d, colBytes: %d", 12, 3);
  MARVLOG_STREAM_TO(&manager, id, marvlog::LOG_WARN) << "pages " << 4 << ' ' << true;
  const std::vector<std::string> lines = splitLines(readFile(logFile()));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("] LOG_INFO len: 12, colBytes: 3 log_line_test.cpp:"), std::string::npos);
  EXPECT_NE(lines[1].find("] LOG_WARN pages 4 true log_line_test.cpp:"), std::string::npos);
}

TEST(LogRecordPool, KeepsAtMostTwoHundredRecords) {
  LogManager manager;
  std::vector<LogData*> records;
  for (int i = 0; i < 201; ++i) records.push_back(manager.makeLogData(0, marvlog::LOG_DEBUG));
  for (LogData* record : records) manager.freeLogData(record);
  EXPECT_EQ(manager.getPoolSize(), 200u);
  // Taking a record drains the pool first.
  LogData* reused = manager.makeLogData(0, marvlog::LOG_DEBUG);
  EXPECT_EQ(manager.getPoolSize(), 199u);
  manager.freeLogData(reused);
}

TEST(LogStatement, NothingIsAcceptedBeforeStartOrAfterStop) {
  TempDir dir;
  LogManager manager;
  manager.setLoggerPath(0, dir.path().c_str());
  EXPECT_FALSE(manager.prePushLog(0, marvlog::LOG_FATAL));
  ASSERT_TRUE(manager.start());
  EXPECT_TRUE(manager.prePushLog(0, marvlog::LOG_DEBUG));
  EXPECT_FALSE(manager.prePushLog(0, marvlog::LOG_TRACE));
  ASSERT_TRUE(manager.stop());
  EXPECT_FALSE(manager.prePushLog(0, marvlog::LOG_FATAL));
}

}  // namespace
