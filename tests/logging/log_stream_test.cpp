#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logging/ConfigParser.h"
#include "logging/LocalClock.h"
#include "logging/LogManager.h"

namespace {

using marvlog::LogStream;

TEST(LogStream, NumberTable) {
  struct Case {
    long long value;
    int width, base;
    const char* text;
  };
  const std::vector<Case> cases = {
      {0, 0, 10, "0"},     {5, 2, 10, "05"},
      {100, 0, 10, "100"}, {123456, 4, 10, "123456"},
      {255, 0, 16, "FF"},  {10, 0, 16, "A"},
      {10, 4, 16, "000A"}, {0xABCDEF, 0, 16, "ABCDEF"},
      {10, 0, 8, "12"},    {255, 0, 15, "120"},
      {-5, 3, 10, "-005"}, {-9223372036854775807LL - 1, 0, 10, "-9223372036854775808"},
  };
  for (const Case& c : cases) {
    char buffer[100];
    LogStream s(buffer, sizeof(buffer));
    s.writeLongLong(c.value, c.width, c.base);
    EXPECT_EQ(std::string(s.begin, s.cur), c.text) << c.value << " w" << c.width << " b" << c.base;
  }
  char buffer[100];
  LogStream s(buffer, sizeof(buffer));
  s.writeULongLong(18446744073709551615ULL, 0, 10);
  EXPECT_EQ(std::string(s.begin, s.cur), "18446744073709551615");
}

TEST(LogStream, ShortagesShortenButNeverOverrun) {
  struct Case {
    int room;
    const char* text;  // after writing "hello", 12345 and '!'
  };
  // A number needs more than 64 free bytes or is dropped whole; a char
  // needs 2; a string may fill the range to its last byte.
  const std::vector<Case> cases = {{0, ""}, {1, "h"}, {3, "hel"}, {64, "hello!"}, {71, "hello12345!"}};
  for (const Case& c : cases) {
    std::vector<char> buffer(static_cast<size_t>(c.room) + 4, '#');
    LogStream s(buffer.data(), c.room);
    s << "hello" << 12345 << '!';
    EXPECT_EQ(std::string(s.begin, s.cur), c.text) << c.room;
    EXPECT_EQ(std::string(buffer.data() + c.room, 4), "####") << c.room;
  }
  char two[2];
  LogStream s(two, 2);
  s << 'a' << 'b' << true;
  EXPECT_EQ(std::string(s.begin, s.cur), "at");
  char roomy[100];
  LogStream t(roomy, sizeof(roomy));
  t << "on=" << true << " off=" << false << " n=" << -42 << ' ' << std::string("end");
  EXPECT_EQ(std::string(t.begin, t.cur), "on=true off=false n=-42 end");
}

}  // namespace
