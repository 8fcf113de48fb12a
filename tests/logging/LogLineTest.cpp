// Log lines byte for byte: numbers, prefix, suffix, the 8189-byte cut, local
// time, and which statements are refused.
#include "tests/logging/LogTestSupport.h"

namespace {

using namespace marvik::test;
using marvlog::LogStream;

TEST(LogStream, NumbersAndShortages) {
  const struct {
    long long value;
    int width, base;
    const char* text;
  } numbers[] = {
      {0, 0, 10, "0"}, {10, 4, 16, "000A"}, {-5, 3, 10, "-005"}, {INT64_MIN, 0, 10, "-9223372036854775808"}};
  for (const auto& c : numbers) {
    char buffer[100];
    LogStream s(buffer, sizeof buffer);
    s.writeLongLong(c.value, c.width, c.base);
    EXPECT_EQ(std::string(s.begin, s.cur), c.text) << c.value;
  }
  // A number needs more than 64 free bytes or is dropped whole; a char needs
  // 2; a string may fill the range to its last byte.
  const std::pair<int, const char*> shortages[] = {{3, "hel"}, {69, "hello!"}, {70, "hello12345!"}};
  for (const auto& [room, text] : shortages) {
    std::vector<char> buffer(static_cast<size_t>(room) + 4, '#');
    LogStream s(buffer.data(), room);
    s << "hello" << 12345 << '!';
    EXPECT_EQ(std::string(s.begin, s.cur), text) << room;
    EXPECT_EQ(std::string(buffer.data() + room, 4), "####") << room;
  }
}

using LogLineTest = LogTest;

TEST_F(LogLineTest, PrefixMessageSuffixAndThe8189ByteCut) {
  // The suffix " f:1" needs 2 bytes for each of its blank and colon and more
  // than 64 for the number; 8189 bytes and CR LF fill a line.
  const std::string x(20000, 'x'), epoch = "1970-01-01 00:00:00.000 [4567] LOG_INFO ";
  const struct {
    int64_t seconds;
    uint32_t micros, thread;
    int level;
    const char* file;
    std::string message, line;
  } cases[] = {{utc(2026, 12, 5, 20, 19, 48), 123456, 4567, marvlog::LOG_DEBUG, "a/b\\c", "m",
                "2026-12-05 20:19:48.123 [4567] LOG_DEBUG m c:1\r\n"},
               {utc(2026, 3, 1, 4, 5, 6), 5000, 7, marvlog::LOG_INFO, "/src/x.cpp", "m",
                "2026-03-01 04:05:06.005 [0007] LOG_INFO m x.cpp:1\r\n"},
               {utc(2026, 12, 31, 23, 59, 59), 999999, 123456, marvlog::LOG_TRACE, nullptr, "m",
                "2026-12-31 23:59:59.999 [123456] LOG_TRACE m\r\n"},
               {0, 0, 4567, marvlog::LOG_INFO, "f", x.substr(0, 8120), epoch + x.substr(0, 8120) + " f:\r\n"},
               {0, 0, 4567, marvlog::LOG_INFO, "f", x, epoch + x.substr(0, 8189 - epoch.size()) + "\r\n"}};
  for (const auto& c : cases) {
    fixedMicros = c.micros;
    fixedThread = c.thread;
    EXPECT_EQ(logAt(c.seconds, c.message, c.level, c.file), c.line) << c.message.size();
  }
}

TEST_F(LogLineTest, LocalTimeAcrossDaylightSavingChanges) {
  // One after the other, so that a stamp may come from the hour cached before.
  constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
  constexpr const char* kLordHowe = "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0";  // half-hour moves
  const struct {
    const char* zone;
    int64_t when;
    const char* local;
  } cases[] = {{kBerlin, utc(2026, 3, 29, 0, 59, 59), "2026-03-29 01:59:59"},
               {kBerlin, utc(2026, 3, 29, 1, 0, 0), "2026-03-29 03:00:00"},
               {kLordHowe, utc(2026, 4, 4, 15, 0, 0), "2026-04-05 01:30:00"},
               {kLordHowe, utc(2026, 4, 4, 14, 50, 0), "2026-04-05 01:50:00"},  // not from the hour after
               {kLordHowe, utc(2026, 4, 4, 15, 30, 0), "2026-04-05 02:00:00"}};
  for (const auto& c : cases) {
    setenv("TZ", c.zone, 1);
    tzset();
    EXPECT_EQ(logAt(c.when, "m").substr(0, 19), c.local) << c.zone << " " << c.when;
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
  EXPECT_NE(access(dir.file("app.log").c_str(), F_OK), 0);
}

}  // namespace
