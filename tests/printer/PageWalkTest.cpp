// The page walk: feeds, bands, skipped white runs and two-pass bands, byte
// for byte.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "HexBytes.h"
#include "printer/MarvikESCP.h"

using printer_test::Bytes;
using printer_test::Hex;
using printer_test::Join;
using printer_test::ToHex;

namespace {

struct Ink {
  uint64_t x0, x1, y0, y1;  // inclusive rectangle
};

Bytes Repeat(int n, const Bytes& column) {
  Bytes out;
  for (int i = 0; i < n; ++i) out.insert(out.end(), column.begin(), column.end());
  return out;
}

// ESC * m nL nH and the columns.
Bytes Image(const char* m, size_t colBytes, std::initializer_list<Bytes> columns) {
  const Bytes data = Join(columns);
  const size_t count = data.size() / colBytes;
  return Join({Hex("1B 2A"), Hex(m),
               Bytes{static_cast<unsigned char>(count), static_cast<unsigned char>(count >> 8)}, data});
}

Bytes FineFeed(const char* rowsLowHigh) {
  return Join({Hex("0D 1B 28 55 01 00 0A 0D 1B 28 76 02 00"), Hex(rowsLowHigh), Hex("1B 28 55 01 00 3C")});
}

const Bytes kCR = Hex("0D"), kInk = Hex("FF FF FF"), kWhite = Hex("00 00 00"), kTop = Hex("80 00 00");

}  // namespace

TEST(PageWalk, BandsByteForByte) {
  const Bytes band360 = Join({Image("28", 3, {kInk}), FineFeed("01 00"), Image("28", 3, {kInk})});
  struct Case {
    const char* name;
    pin_type_e pins;
    int dpiX, dpiY;
    uint64_t width, height;
    std::vector<Ink> ink;
    Bytes body;
  };
  const Case cases[] = {
      {"blank page", PIN_TYPE_24, 180, 180, 100, 50, {}, {}},
      // The run 10-399 is skipped; ESC $ 133 puts the head at column 399 and
      // the image resumes with that column.
      {"skipped run",
       PIN_TYPE_24,
       180,
       180,
       1000,
       24,
       {{0, 9, 0, 23}, {400, 409, 0, 23}},
       Join({kCR, Image("27", 3, {Repeat(10, kInk)}), Hex("1B 24 85 00"),
             Image("27", 3, {kWhite, Repeat(10, kInk)})})},
      // The run 10-400 rounds to 399: column 401 prints third from 399.
      {"column after a rounded run",
       PIN_TYPE_24,
       180,
       180,
       600,
       24,
       {{0, 9, 0, 0}, {401, 401, 0, 0}},
       Join({kCR, Image("27", 3, {Repeat(10, kTop)}), Hex("1B 24 85 00"),
             Image("27", 3, {kWhite, kWhite, kTop})})},
      {"10 blank rows between bands",
       PIN_TYPE_24,
       180,
       180,
       1,
       58,
       {{0, 0, 0, 0}, {0, 0, 34, 34}},
       Join({kCR, Image("27", 3, {kTop}), Hex("0D 1B 4A 22"), Image("27", 3, {kTop})})},
      {"181 white columns skipped",
       PIN_TYPE_24,
       180,
       180,
       200,
       24,
       {{0, 0, 0, 0}, {182, 182, 0, 0}},
       Join({kCR, Image("27", 3, {kTop}), Hex("1B 24 3C 00"), Image("27", 3, {kWhite, kWhite, kTop})})},
      {"180 white columns sent",
       PIN_TYPE_24,
       180,
       180,
       200,
       24,
       {{0, 0, 0, 0}, {181, 181, 0, 0}},
       Join({kCR, Image("27", 3, {kTop, Repeat(180, kWhite), kTop})})},
      {"ink in column 0 only",
       PIN_TYPE_24,
       180,
       180,
       500,
       24,
       {{0, 0, 0, 0}, {0, 0, 5, 5}},
       Join({kCR, Image("27", 3, {Hex("84 00 00")})})},
      // Rows 30 and below are not on the page and print white.
      {"band past the page end",
       PIN_TYPE_24,
       180,
       180,
       1,
       30,
       {{0, 0, 20, 20}, {0, 0, 29, 29}},
       Join({Hex("0D 1B 4A 14"), Image("27", 3, {Hex("80 40 00")})})},
      // The second band feeds 47: its 48 rows less the one between passes.
      {"adjacent two-pass bands",
       PIN_TYPE_24,
       360,
       360,
       8,
       96,
       {{0, 0, 0, 95}},
       Join({FineFeed("00 00"), band360, FineFeed("2F 00"), band360})},
      {"second pass white",
       PIN_TYPE_24,
       360,
       360,
       10,
       48,
       {{0, 9, 0, 0}},
       Join({FineFeed("00 00"), Image("28", 3, {Repeat(10, kTop)}), FineFeed("01 00"),
             Image("28", 3, {Repeat(10, kWhite)})})},
      // 24-dot columns (m 39) in two passes, every move in the fine unit.
      {"24 pins at 180 x 360",
       PIN_TYPE_24,
       180,
       360,
       8,
       48,
       {{0, 0, 2, 2}, {0, 0, 5, 5}},
       Join({FineFeed("02 00"), Image("27", 3, {kTop}), FineFeed("01 00"),
             Image("27", 3, {Hex("40 00 00")})})},
      {"9 pins at 160 x 144",
       PIN_TYPE_9,
       160,
       144,
       8,
       32,
       {{0, 0, 0, 0}, {0, 0, 3, 3}, {0, 0, 16, 16}},
       Join({kCR, Image("01", 1, {Hex("80")}), Hex("0D 1B 4A 01"), Image("01", 1, {Hex("40")}),
             Hex("0D 1B 4A 0F"), Image("01", 1, {Hex("80")}), Hex("0D 1B 4A 01"),
             Image("01", 1, {Hex("00")})})},
  };
  for (const Case& c : cases) {
    const uint64_t bytesPerLine = (c.width + 7) / 8;
    Bytes bits(bytesPerLine * c.height, 0);
    for (const Ink& r : c.ink)
      for (uint64_t y = r.y0; y <= r.y1; ++y)
        for (uint64_t x = r.x0; x <= r.x1; ++x) bits[y * bytesPerLine + x / 8] |= 0x80 >> (x % 8);
    MarvikESCP enc(c.pins, c.dpiX, c.dpiY);
    EXPECT_EQ(enc.DotMatrix2Page(bits.data(), bytesPerLine, c.width, c.height), 1) << c.name;
    EXPECT_EQ(ToHex(enc.PrinterData()), ToHex(c.body)) << c.name;
  }
}

TEST(PageWalk, RefusesWhatWouldReadOutsideOrDivideByZero) {
  using Setup = void (*)(MarvikESCP&);
  struct Case {
    const char* name;
    pin_type_e pins;
    int dpiX, dpiY;
    uint64_t bytesPerLine, width;
    Setup setup;
  };
  const Setup none = [](MarvikESCP&) {};
  const Case cases[] = {
      {"bytesPerLine 0", PIN_TYPE_24, 180, 180, 0, 8, none},
      {"width beyond the row", PIN_TYPE_24, 180, 180, 2, 17, none},
      {"width 0", PIN_TYPE_24, 180, 180, 2, 0, none},
      {"dpiX below 60", PIN_TYPE_24, 59, 180, 2, 16, none},
      {"dpiY 0", PIN_TYPE_24, 180, 180, 2, 16, [](MarvikESCP& e) { e.SetDpiY(0); }},
      {"dpiY negative", PIN_TYPE_24, 180, -180, 2, 16, none},
      {"24 pins at 160 x 144", PIN_TYPE_24, 160, 144, 2, 16, none},
      {"18 pins at 160 x 144", PIN_TYPE_18, 160, 144, 2, 16, none},
      {"9 pins at 360 x 360", PIN_TYPE_9, 360, 360, 2, 16, none},
      {"9 pins, unlisted resolution", PIN_TYPE_9, 180, 180, 2, 16, none},
      {"unknown head", static_cast<pin_type_e>(12), 180, 180, 2, 16, none},
      {"band of 0 rows", PIN_TYPE_24, 180, 180, 2, 16, [](MarvikESCP& e) { e.SetLinesPerRow(0); }},
      {"band of 12 rows", PIN_TYPE_24, 180, 180, 2, 16, [](MarvikESCP& e) { e.SetLinesPerRow(12); }},
      {"resolution changed after construction", PIN_TYPE_24, 180, 180, 2, 16,
       [](MarvikESCP& e) { e.SetDpiX(360), e.SetDpiY(360); }},
  };
  const Bytes page(2 * 64, 0xFF);
  for (const Case& c : cases) {
    MarvikESCP enc(c.pins, c.dpiX, c.dpiY);
    c.setup(enc);
    enc.PrinterData() = Hex("AA");
    EXPECT_EQ(enc.DotMatrix2Page(page.data(), c.bytesPerLine, c.width, 64), -1) << c.name;
    EXPECT_TRUE(enc.PrinterData().empty()) << c.name;
  }
  MarvikESCP enc(PIN_TYPE_24, 180, 180);
  enc.PrinterData() = Hex("AA");
  EXPECT_EQ(enc.DotMatrix2Page(nullptr, 2, 16, 64), -1);
  EXPECT_EQ(ToHex(enc.PrinterData()), "AA");  // a null page leaves the body alone
}
