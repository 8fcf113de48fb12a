// The page walk: feeds, bands, skipped white runs and two-pass bands, byte
// for byte.
#include <gtest/gtest.h>

#include <string>

#include "HexBytes.h"
#include "printer/MarvikESCP.h"

using printer_test::Bytes;
using printer_test::Hex;
using printer_test::Join;
using printer_test::ToHex;

namespace {

struct Bitmap {
  uint64_t width, bytesPerLine, height;
  Bytes bits;
  Bitmap(uint64_t w, uint64_t h)
      : width(w), bytesPerLine((w + 7) / 8), height(h), bits(bytesPerLine * h, 0) {}
  void Dot(uint64_t x, uint64_t y) {
    bits[y * bytesPerLine + x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
  }
  void Dots(uint64_t x0, uint64_t x1, uint64_t y0, uint64_t y1) {
    for (uint64_t y = y0; y <= y1; ++y)
      for (uint64_t x = x0; x <= x1; ++x) Dot(x, y);
  }
};

std::string Encode(MarvikESCP& enc, const Bitmap& page) {
  EXPECT_EQ(enc.DotMatrix2Page(page.bits.data(), page.bytesPerLine, page.width, page.height), 1);
  return ToHex(enc.PrinterData());
}

// ESC * header for `count` columns and their bytes, each column `column`.
Bytes Image(const char* m, int count, const Bytes& column) {
  Bytes out = Join({Hex("1B 2A"), Hex(m), Bytes{static_cast<unsigned char>(count & 0xFF)},
                    Bytes{static_cast<unsigned char>(count >> 8)}});
  for (int i = 0; i < count; ++i) out.insert(out.end(), column.begin(), column.end());
  return out;
}

Bytes FineFeed(const char* rowsLowHigh) {
  return Join({Hex("0D 1B 28 55 01 00 0A 0D 1B 28 76 02 00"), Hex(rowsLowHigh), Hex("1B 28 55 01 00 3C")});
}

const Bytes kInk = Hex("FF FF FF"), kWhite = Hex("00 00 00"), kTop = Hex("80 00 00");

}  // namespace

TEST(PageWalk, SinglePassBandsAt180) {
  MarvikESCP enc(PIN_TYPE_24, 180, 180);
  {
    Bitmap blank(100, 50);
    EXPECT_EQ(Encode(enc, blank), "");
  }
  {
    // Dots in columns 0-9 and 400-409: the run 10-399 is skipped, ESC $ 133
    // puts the head at column 399 and the image resumes with that column.
    Bitmap page(1000, 24);
    page.Dots(0, 9, 0, 23);
    page.Dots(400, 409, 0, 23);
    Bytes second = Join({Hex("1B 2A 27 0B 00"), kWhite});
    for (int i = 0; i < 10; ++i) second.insert(second.end(), kInk.begin(), kInk.end());
    EXPECT_EQ(Encode(enc, page), ToHex(Join({Hex("0D"), Image("27", 10, kInk), Hex("1B 24 85 00"), second})));
  }
  {
    // Run 10-400 rounds to 399: column 401 must print at its own place,
    // third in the image that starts at 399.
    Bitmap page(600, 24);
    page.Dots(0, 9, 0, 0);
    page.Dot(401, 0);
    EXPECT_EQ(Encode(enc, page), ToHex(Join({Hex("0D"), Image("27", 10, kTop),
                                             Hex("1B 24 85 00 1B 2A 27 03 00"), kWhite, kWhite, kTop})));
  }
  {
    // Two bands, 10 blank rows between: the second feeds 24 + 10 rows.
    Bitmap page(1, 58);
    page.Dot(0, 0);
    page.Dot(0, 34);
    EXPECT_EQ(Encode(enc, page),
              ToHex(Join({Hex("0D"), Image("27", 1, kTop), Hex("0D 1B 4A 22"), Image("27", 1, kTop)})));
  }
}

TEST(PageWalk, WhiteRunThresholdAt180) {
  MarvikESCP enc(PIN_TYPE_24, 180, 180);
  {
    // 181 white columns (1-181, end - start = 180): skipped, head to 180.
    Bitmap page(200, 24);
    page.Dot(0, 0);
    page.Dot(182, 0);
    EXPECT_EQ(Encode(enc, page), ToHex(Join({Hex("0D"), Image("27", 1, kTop),
                                             Hex("1B 24 3C 00 1B 2A 27 03 00"), kWhite, kWhite, kTop})));
  }
  {
    // 180 white columns: sent as white columns in one image.
    Bitmap page(200, 24);
    page.Dot(0, 0);
    page.Dot(181, 0);
    Bytes image = Join({Hex("1B 2A 27 B6 00"), kTop});
    for (int i = 0; i < 180; ++i) image.insert(image.end(), kWhite.begin(), kWhite.end());
    image.insert(image.end(), kTop.begin(), kTop.end());
    EXPECT_EQ(Encode(enc, page), ToHex(Join({Hex("0D"), image})));
  }
  {
    Bitmap page(500, 24);  // ink only in column 0: one column, no ESC $
    page.Dot(0, 0);
    page.Dot(0, 5);
    EXPECT_EQ(Encode(enc, page), ToHex(Join({Hex("0D"), Image("27", 1, Hex("84 00 00"))})));
  }
}

TEST(PageWalk, BottomRowsPrintAsAShortBand) {
  // Ink in row 20 of a 30-row page: 10 rows of the band lie on the page, the
  // other 14 print white.
  MarvikESCP enc(PIN_TYPE_24, 180, 180);
  Bitmap page(1, 30);
  page.Dot(0, 20);
  page.Dot(0, 29);
  EXPECT_EQ(Encode(enc, page), ToHex(Join({Hex("0D 1B 4A 14"), Image("27", 1, Hex("80 40 00"))})));
}

TEST(PageWalk, TwoPassBands) {
  {
    // 360 x 360, every row inked in column 0: two adjacent bands. The second
    // feeds 47 rows, the band's 48 less the row fed between the passes.
    MarvikESCP enc(PIN_TYPE_24, 360, 360);
    Bitmap page(8, 96);
    page.Dots(0, 0, 0, 95);
    const Bytes band = Join({Image("28", 1, kInk), FineFeed("01 00"), Image("28", 1, kInk)});
    EXPECT_EQ(Encode(enc, page), ToHex(Join({FineFeed("00 00"), band, FineFeed("2F 00"), band})));
  }
  {
    // Only row 0 inked: the second pass sends the same columns white.
    MarvikESCP enc(PIN_TYPE_24, 360, 360);
    Bitmap page(10, 48);
    page.Dots(0, 9, 0, 0);
    EXPECT_EQ(
        Encode(enc, page),
        ToHex(Join({FineFeed("00 00"), Image("28", 10, kTop), FineFeed("01 00"), Image("28", 10, kWhite)})));
  }
  {
    // 180 x 360 on 24 pins: two passes of 24-dot columns (m 39), fine feeds.
    MarvikESCP enc(PIN_TYPE_24, 180, 360);
    Bitmap page(8, 48);
    page.Dot(0, 2);  // pass 1, dot 1
    page.Dot(0, 5);  // pass 2, dot 2
    EXPECT_EQ(Encode(enc, page), ToHex(Join({FineFeed("02 00"), Image("27", 1, Hex("80 00 00")),
                                             FineFeed("01 00"), Image("27", 1, Hex("40 00 00"))})));
  }
  {
    // 9 pins at 160 x 144: 16 rows, one byte per column and pass, ESC J 1.
    MarvikESCP enc(PIN_TYPE_9, 160, 144);
    Bitmap page(8, 32);
    page.Dot(0, 0);
    page.Dot(0, 3);
    page.Dot(0, 16);
    EXPECT_EQ(Encode(enc, page),
              ToHex(Join({Hex("0D"), Image("01", 1, Hex("80")), Hex("0D 1B 4A 01"), Image("01", 1, Hex("40")),
                          Hex("0D 1B 4A 0F"), Image("01", 1, Hex("80")), Hex("0D 1B 4A 01"),
                          Image("01", 1, Hex("00"))})));
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
