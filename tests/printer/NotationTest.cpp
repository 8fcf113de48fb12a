// The command notation: hex pairs in angle brackets, other characters as
// themselves.
#include <gtest/gtest.h>

#include "HexBytes.h"
#include "printer/MarvikESCP.h"

using printer_test::Bytes;
using printer_test::Hex;
using printer_test::ToHex;

TEST(CommandNotation, SequenceToByteGivesTheDenotedBytes) {
  struct Case {
    const char* text;
    const char* bytes;
  };
  const Case cases[] = {
      {"", ""},
      {"<1B>@", "1B 40"},
      {"<1d>V<4270>", "1D 56 42 70"},
      {"<1B>2<1B>C<42>", "1B 32 1B 43 42"},
      {"<1C>C<780F>", "1C 43 78 0F"},
      {"<1B><70><00><33><00>", "1B 70 00 33 00"},
      {"a>b", "61 3E 62"},
      {"<>", ""},
      {"<ff><FF><fF>", "FF FF FF"},
      // A non-hex digit counts as -1: 16 * hi + lo, low eight bits.
      {"<G0>", "F0"},
      {"<0G>", "FF"},
      {"<GG>", "EF"},
      // Malformed texts end cleanly at the end of the text.
      {"<", ""},
      {"<1", ""},
      {"<1B", "1B"},
      {"<1B4", "1B"},
      {"@<1B><2", "40 1B"},
  };
  for (const Case& c : cases) {
    Bytes out = Hex("AA BB");  // earlier content must go
    MarvikESCP::SequenceToByte(c.text, out);
    EXPECT_EQ(ToHex(out), ToHex(Hex(c.bytes))) << "text: " << c.text;
  }
}

TEST(CommandNotation, DigitValues) {
  const std::pair<char, int> cases[] = {{'0', 0},  {'9', 9},  {'A', 10},    {'F', 15},
                                        {'a', 10}, {'f', 15}, {'G', -1},    {'g', -1},
                                        {'<', -1}, {' ', -1}, {'\x80', -1}, {'\xff', -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(MarvikESCP::Char2Num(c.first), c.second) << "char " << static_cast<int>(c.first);
  }
  EXPECT_EQ(MarvikESCP::HexToNum("7f"), 0x7F);
  EXPECT_EQ(MarvikESCP::HexToNum("G0"), -16);
}

TEST(CommandNotation, DecimalTexts) {
  Bytes out = Hex("AA");
  MarvikESCP::NumSplit(305, out);
  EXPECT_EQ(ToHex(out), "AA 33 30 35");  // appended, not replaced
  out.clear();
  MarvikESCP::NumSplit(0, out);
  EXPECT_EQ(ToHex(out), "30");
  out.clear();
  MarvikESCP::NumSplit(4294967295u, out);
  EXPECT_EQ(std::string(out.begin(), out.end()), "4294967295");

  EXPECT_EQ(MarvikESCP::Num2String(0), "0");
  EXPECT_EQ(MarvikESCP::Num2String(2147483647), "2147483647");
  EXPECT_EQ(MarvikESCP::Num2String(-5), "");
}
