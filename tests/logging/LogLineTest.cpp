// Log lines byte for byte: numbers, prefix, local time, suffix, the
// 8189-byte cut, and which statements are refused.
#include "tests/logging/LogTestSupport.h"

namespace {

using namespace marvik::test;
using marvlog::LogStream;

TEST(LogStream, NumbersAndShortages) {
  const struct {
    long long value;
    int width, base;
    const char* text;
  } numbers[] = {{0, 0, 10, "0"},    {5, 2, 10, "05"},    {100, 0, 10, "100"},
                 {255, 0, 16, "FF"}, {10, 4, 16, "000A"}, {0xABCDEF, 0, 16, "ABCDEF"},
                 {10, 0, 8, "12"},   {-5, 3, 10, "-005"}, {INT64_MIN, 0, 10, "-9223372036854775808"}};
  for (const auto& c : numbers) {
    char buffer[100];
    LogStream s(buffer, sizeof buffer);
    s.writeLongLong(c.value, c.width, c.base);
    EXPECT_EQ(std::string(s.begin, s.cur), c.text) << c.value << " w" << c.width << " b" << c.base;
  }
  // A number needs more than 64 free bytes or is dropped whole; a char needs
  // 2; a string may fill the range to its last byte.
  const std::pair<int, const char*> shortages[] = {
      {0, ""}, {1, "h"}, {3, "hel"}, {69, "hello!"}, {70, "hello12345!"}};
  for (const auto& [room, text] : shortages) {
    std::vector<char> buffer(static_cast<size_t>(room) + 4, '#');
    LogStream s(buffer.data(), room);
    s << "hello" << 12345 << '!';
    EXPECT_EQ(std::string(s.begin, s.cur), text) << room;
    EXPECT_EQ(std::string(buffer.data() + room, 4), "####") << room;
  }
  char roomy[100];
  LogStream t(roomy, sizeof roomy);
  t << "on=" << true << " off=" << false << " n=" << -42 << ' ' << std::string("end");
  EXPECT_EQ(std::string(t.begin, t.cur), "on=true off=false n=-42 end");
}

using LogLineTest = LogTest;

TEST_F(LogLineTest, PrefixMessageAndSuffix) {
  const struct {
    int64_t seconds;
    uint32_t micros, thread;
    int level;
    const char *file, *message, *line;
  } cases[] = {
      {utc(2026, 12, 5, 20, 19, 48), 123456, 4567, marvlog::LOG_DEBUG, "rastertomarvik",
       "DEBUG: Duplex = 0\n",
       "2026-12-05 20:19:48.123 [4567] LOG_DEBUG DEBUG: Duplex = 0\n rastertomarvik:1\r\n"},
      {utc(2026, 3, 1, 4, 5, 6), 5000, 7, marvlog::LOG_INFO, "a/b\\c", "m",
       "2026-03-01 04:05:06.005 [0007] LOG_INFO m c:1\r\n"},
      {utc(2026, 3, 1, 0, 0, 0), 999999, 123456, marvlog::LOG_WARN, "/src/x.cpp", "m",
       "2026-03-01 00:00:00.999 [123456] LOG_WARN m x.cpp:1\r\n"},
      {utc(2026, 12, 31, 23, 59, 59), 0, 0, marvlog::LOG_TRACE, nullptr, "m",
       "2026-12-31 23:59:59.000 [0000] LOG_TRACE m\r\n"},
  };
  size_t bytes = 0;
  for (const auto& c : cases) {
    fixedMicros = c.micros;
    fixedThread = c.thread;
    EXPECT_EQ(logAt(c.seconds, c.message, c.level, c.file), c.line);
    bytes += std::string(c.line).size();
  }
  EXPECT_EQ(manager.getStatusTotalWriteCount(), std::size(cases));
  EXPECT_EQ(manager.getStatusTotalWriteBytes(), bytes);
  manager.setLoggerFileLine(id, false);
  EXPECT_EQ(logAt(0, "m", marvlog::LOG_FATAL), "1970-01-01 00:00:00.000 [0000] LOG_FATAL m\r\n");
}

TEST_F(LogLineTest, LocalTimeAcrossDaylightSavingChanges) {
  // The clock's own time, stamped one after the other on one thread so that
  // a stamp may come from the hour its predecessor cached; then backwards.
  constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
  constexpr const char* kLordHowe = "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0";  // half-hour moves
  const struct {
    const char* zone;
    int64_t when;
    const char* local;
  } cases[] = {{kBerlin, utc(2026, 3, 29, 0, 59, 59), "2026-03-29 01:59:59"},
               {kBerlin, utc(2026, 3, 29, 1, 0, 0), "2026-03-29 03:00:00"},
               {kBerlin, utc(2026, 10, 25, 0, 30, 0), "2026-10-25 02:30:00"},
               {kBerlin, utc(2026, 10, 25, 1, 0, 0), "2026-10-25 02:00:00"},
               {kBerlin, utc(2026, 10, 25, 23, 0, 0), "2026-10-26 00:00:00"},
               {kLordHowe, utc(2026, 4, 4, 14, 59, 59), "2026-04-05 01:59:59"},
               {kLordHowe, utc(2026, 4, 4, 15, 0, 0), "2026-04-05 01:30:00"},
               {kLordHowe, utc(2026, 4, 4, 15, 30, 0), "2026-04-05 02:00:00"},
               {kLordHowe, utc(2026, 10, 3, 15, 30, 0), "2026-10-04 02:30:00"}};
  for (const bool backwards : {false, true}) {
    for (size_t i = 0; i < std::size(cases); ++i) {
      const auto& c = cases[backwards ? std::size(cases) - 1 - i : i];
      setZone(c.zone);
      EXPECT_EQ(logAt(c.when, "m").substr(0, 19), c.local) << c.zone << " " << c.when;
    }
  }
}

TEST_F(LogLineTest, OverlongMessagesAreCutTo8189Bytes) {
  // The prefix is 40 bytes; the suffix " f:1" needs 2 bytes for each of its
  // blank and colon and more than 64 for the number.
  const struct {
    size_t message, lineSize;  // CR LF included
    const char* tail;
  } cases[] = {{8000, 40 + 8000 + 4 + 2, "x f:1\r\n"},
               {8120, 40 + 8120 + 3 + 2, "x f:\r\n"},
               {8150, 8191, "xx\r\n"},
               {20000, 8191, "xx\r\n"}};
  for (const auto& c : cases) {
    const std::string line = logAt(0, std::string(c.message, 'x'));
    EXPECT_EQ(line.size(), c.lineSize) << c.message;
    EXPECT_EQ(line.substr(line.size() - std::string(c.tail).size()), c.tail) << c.message;
  }
}

TEST_F(LogLineTest, RefusedStatementsEvaluateAndWriteNothing) {
  int evaluated = 0;
  marvlog::LogManager idle;  // never started
  MARVLOG_FMT_TO(&idle, 0, marvlog::LOG_FATAL, "not started %d", ++evaluated);
  manager.setLoggerLevel(id, marvlog::LOG_WARN);
  MARVLOG_FMT_TO(&manager, id, marvlog::LOG_INFO, "below %d", ++evaluated);
  MARVLOG_STREAM_TO(&manager, id, marvlog::LOG_DEBUG) << ++evaluated;
  MARVLOG_FMT_TO(&manager, id, 7, "no such level %d", ++evaluated);
  MARVLOG_FMT_TO(&manager, 5, marvlog::LOG_FATAL, "no such logger %d", ++evaluated);
  EXPECT_EQ(evaluated, 0);
  EXPECT_EQ(manager.makeLogData(id, 7), nullptr);
  manager.enableLogger(id, false);
  EXPECT_FALSE(manager.pushLog(manager.makeLogData(id, marvlog::LOG_FATAL), "f", 1));
  EXPECT_NE(access(dir.file("app.log").c_str(), F_OK), 0);
}

TEST(LogRecordPool, KeepsAtMostTwoHundredRecords) {
  marvlog::LogManager manager;
  std::vector<marvlog::LogData*> records;
  for (int i = 0; i < 201; ++i) records.push_back(manager.makeLogData(0, marvlog::LOG_DEBUG));
  for (marvlog::LogData* record : records) manager.freeLogData(record);
  EXPECT_EQ(manager.getPoolSize(), 200u);
  marvlog::LogData* reused = manager.makeLogData(0, marvlog::LOG_DEBUG);
  EXPECT_EQ(manager.getPoolSize(), 199u);
  manager.freeLogData(reused);
}

}  // namespace
