#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logging/marvlog.h"

namespace {

using marvlog::LogStream;

constexpr int kRoomy = 200;  // well over the 64 bytes a number needs

std::string written(const LogStream& s) {
  return std::string(s.begin, s.cur);
}

TEST(LogStreamNumbers, UnsignedTable) {
  struct Case {
    unsigned long long value;
    int width;
    int base;
    const char* text;
  };
  const std::vector<Case> cases = {
      {0, 0, 10, "0"},
      {5, 2, 10, "05"},
      {7, 4, 10, "0007"},
      {99, 0, 10, "99"},
      {100, 0, 10, "100"},
      {123456, 4, 10, "123456"},
      {18446744073709551615ULL, 0, 10, "18446744073709551615"},
      {255, 0, 16, "FF"},
      {10, 0, 16, "A"},
      {10, 4, 16, "000A"},
      {0x1B, 2, 16, "1B"},
      {0xABCDEF, 0, 16, "ABCDEF"},
      {10, 0, 8, "12"},
      {5, 0, 2, "101"},
      {255, 0, 15, "120"},
      {0, 3, 2, "000"},
  };
  for (const Case& c : cases) {
    char buffer[kRoomy];
    LogStream s(buffer, kRoomy);
    s.writeULongLong(c.value, c.width, c.base);
    EXPECT_EQ(written(s), c.text) << c.value << " w" << c.width << " b" << c.base;
  }
}

TEST(LogStreamNumbers, SignedTable) {
  struct Case {
    long long value;
    int width;
    const char* text;
  };
  const std::vector<Case> cases = {
      {-5, 3, "-005"},
      {-1, 0, "-1"},
      {0, 0, "0"},
      {-9223372036854775807LL - 1, 0, "-9223372036854775808"},
  };
  for (const Case& c : cases) {
    char buffer[kRoomy];
    LogStream s(buffer, kRoomy);
    s.writeLongLong(c.value, c.width, 10);
    EXPECT_EQ(written(s), c.text);
  }
}

TEST(LogStreamNumbers, DroppedWholeWithSixtyFourBytesOrLess) {
  for (int room : {0, 1, 64}) {
    std::vector<char> buffer(static_cast<size_t>(room) + 1, '#');
    LogStream s(buffer.data(), room);
    s.writeULongLong(12345, 0, 10);
    EXPECT_EQ(s.getCurrentLen(), 0) << room;
    EXPECT_EQ(buffer[static_cast<size_t>(room)], '#');
  }
  char buffer[65];
  LogStream s(buffer, 65);
  s.writeULongLong(12345, 0, 10);
  EXPECT_EQ(written(s), "12345");
}

TEST(LogStreamBounds, NeverWritesPastTheEnd) {
  struct Case {
    int room;
    std::string request;
    const char* text;  // what lands in the range
  };
  // writeString may fill the range to its last byte; writeChar keeps one
  // byte free.
  const std::vector<Case> cases = {
      {3, "hello", "hel"},
      {5, "hello", "hello"},
      {0, "hello", ""},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(static_cast<size_t>(c.room) + 4, '#');
    LogStream s(buffer.data(), c.room);
    s << c.request;
    EXPECT_EQ(written(s), c.text);
    EXPECT_EQ(std::string(buffer.data() + c.room, 4), "####");
  }
  char two[3] = {'#', '#', '#'};
  LogStream s(two, 2);
  s.writeChar('a').writeChar('b');
  EXPECT_EQ(written(s), "a");
  EXPECT_EQ(two[1], '#');
}

TEST(LogStreamOperators, ChainedPieces) {
  char buffer[kRoomy];
  LogStream s(buffer, kRoomy);
  s << "id=" << 3 << " on=" << true << " off=" << false << " n=" << -42 << ' ' << std::string("end");
  EXPECT_EQ(written(s), "id=3 on=true off=false n=-42 end");
}

}  // namespace
