// The encoder's bytes where a round trip through the preview cannot judge
// them: whether a white run is skipped or sent, feeds, what it refuses; and
// its command notation and halftoning.
#include <gtest/gtest.h>

#include "printer/MarvikESCP.h"
#include "tests/printer/HexBytes.h"

namespace marvik::test {
namespace {

// The page body of a page with ink in the given columns of row 0, as hex.
std::string Body(pin_type_e pins, int dpiX, int dpiY, uint64_t width, std::vector<uint64_t> dots) {
  const uint64_t bytesPerLine = (width + 7) / 8;
  Bytes bits(bytesPerLine * 24, 0);
  for (uint64_t x : dots) bits[x / 8] |= 0x80 >> (x % 8);
  MarvikESCP enc(pins, dpiX, dpiY);
  EXPECT_EQ(enc.DotMatrix2Page(bits.data(), bytesPerLine, width, 24), 1);
  return ToHex(enc.PrinterData());
}

// ESC * m with the columns given, `colBytes` bytes each.
std::string Image(const char* m, size_t colBytes, const std::string& columns) {
  const size_t count = Hex(columns).size() / colBytes;
  char head[32];
  std::snprintf(head, sizeof head, " 1B 2A %s %02zX %02zX", m, count & 0xFF, count >> 8);
  return head + columns;
}

std::string Repeat(int n, const std::string& column) {
  std::string out;
  for (int i = 0; i < n; ++i) out += column;
  return out;
}

const std::string kTop = " 80 00 00", kWhite = " 00 00 00";

TEST(Encoder, WhiteRunsOverAnInchAreSkipped) {
  // A run of dpiX + 1 columns (end - start = 180) is skipped, ESC $ 60 puts
  // the head at column 180. One column less is sent.
  EXPECT_EQ(
      Body(PIN_TYPE_24, 180, 180, 200, {0, 182}),
      ToHex(Hex("0D" + Image("27", 3, kTop) + " 1B 24 3C 00" + Image("27", 3, kWhite + kWhite + kTop))));
  EXPECT_EQ(Body(PIN_TYPE_24, 180, 180, 200, {0, 181}),
            ToHex(Hex("0D" + Image("27", 3, kTop + Repeat(180, kWhite) + kTop))));
  // A run from column 0 counts like any other, with no empty image before.
  EXPECT_EQ(Body(PIN_TYPE_24, 180, 180, 201, {200}),
            ToHex(Hex("0D 1B 24 42 00" + Image("27", 3, kWhite + kWhite + kTop))));
  // 160 dpi: 8 columns make 3/60 in; the run 1-199 ends at 192, ESC $ 72.
  EXPECT_EQ(
      Body(PIN_TYPE_9, 160, 72, 201, {0, 200}),
      ToHex(Hex("0D" + Image("01", 1, " 80") + " 1B 24 48 00" + Image("01", 1, Repeat(8, " 00") + " 80"))));
}

TEST(Encoder, Feeds) {
  auto fine = [](const std::string& units) {  // CR, a feed in 1/360 in, then ESC $ in 1/60 again
    return "0D 1B 28 55 01 00 0A 0D 1B 28 76 02 00 " + units + " 1B 28 55 01 00 3C";
  };
  const struct {
    pin_type_e pins;
    int dpiX, dpiY, rows;
    std::string bytes;
  } cases[] = {{PIN_TYPE_24, 180, 180, 256, "0D 1B 4A FF 1B 4A 01"},
               {PIN_TYPE_24, 180, 180, -4, "0D"},
               {PIN_TYPE_9, 160, 72, 3, "0D 1B 4A 06"},
               {PIN_TYPE_9, 360, 360, 5, "0D"},
               {PIN_TYPE_18, 120, 360, 3, fine("03 00")},  // 18 pins: ESC J counts 1/180 in
               {PIN_TYPE_24, 360, 360, 70000, fine("FF FF 1B 28 76 02 00 71 11")},
               {PIN_TYPE_24, 180, 0, 10, "0D"}};  // no rows: no division by zero
  for (const auto& c : cases) {
    MarvikESCP enc(c.pins, c.dpiX, c.dpiY);
    enc.AddVertical(c.rows);
    EXPECT_EQ(ToHex(enc.PrinterData()), c.bytes) << c.pins << " pins, " << c.dpiY << " dpi, " << c.rows;
  }
}

TEST(Encoder, RefusesPagesItWouldReadOutsideOf) {
  // Bytes a line and width of a 64-row page: refused, with an empty body.
  MarvikESCP refused[] = {{PIN_TYPE_24, 180, 180},
                          {PIN_TYPE_24, 180, 180},
                          {PIN_TYPE_24, 59, 180},
                          {PIN_TYPE_9, 360, 360},
                          {PIN_TYPE_24, 180, 180}};
  const std::pair<uint64_t, uint64_t> sizes[] = {{0, 8}, {2, 17}, {2, 16}, {2, 16}, {2, 16}};
  refused[4].SetLinesPerRow(12);
  const Bytes page(2 * 64, 0xFF);
  for (size_t i = 0; i < std::size(refused); ++i) {
    refused[i].PrinterData() = Hex("AA");
    EXPECT_EQ(refused[i].DotMatrix2Page(page.data(), sizes[i].first, sizes[i].second, 64), -1) << i;
    EXPECT_TRUE(refused[i].PrinterData().empty()) << i;
  }
}

TEST(Encoder, CommandNotation) {
  const std::pair<const char*, const char*> cases[] = {{"<1B>@<1d>V<4270>", "1B 40 1D 56 42 70"},
                                                       {"a>b<>", "61 3E 62"},
                                                       {"<ff><FF><fF><aB>", "FF FF FF AB"},
                                                       {"<G0><0G><GG>", "F0 FF EF"},
                                                       {"<1B4", "1B"},
                                                       {"@<1B><2", "40 1B"}};
  for (const auto& c : cases) {
    Bytes out = Hex("AA BB");  // earlier content must go
    MarvikESCP::SequenceToByte(c.first, out);
    EXPECT_EQ(ToHex(out), c.second) << c.first;
  }
  std::string digits;
  for (char c : std::string("/09:@AFGaf`g\x80")) digits += std::to_string(MarvikESCP::Char2Num(c)) + " ";
  EXPECT_EQ(digits, "-1 0 9 -1 -1 10 15 -1 10 15 -1 -1 -1 ");
}

TEST(Encoder, HalftoneThresholds) {
  auto dither = [](unsigned char gray, int size, int pattern) {
    const Bytes image(static_cast<size_t>(size * size), gray);
    Bytes out(image.size(), 9);
    EXPECT_EQ(MarvikESCP::Gray2DotMatrix(image.data(), size, size, size, out,
                                         static_cast<MarvikESCP::Halftone>(pattern)),
              1);
    return out;
  };
  // Gray 1 misses only the threshold 1: at (row 1, column 5) of the 6 x 6 matrix.
  const Bytes g1 = dither(1, 12, MarvikESCP::HT_6X6);
  for (int i = 0; i < 144; ++i) EXPECT_EQ(g1[i], (i / 12 % 6 == 1 && i % 12 % 6 == 5) ? 0 : 1) << i;
  // Refused, nothing written: an output too small, no image, a negative width, an unknown pattern.
  const Bytes black(10, 0);
  Bytes out(10, 7), small(7, 7);
  EXPECT_EQ(MarvikESCP::Gray2DotMatrix(black.data(), 5, 3, 2, small, MarvikESCP::HT_8X8) +
                MarvikESCP::Gray2DotMatrix(nullptr, 5, 3, 2, out, MarvikESCP::HT_8X8) +
                MarvikESCP::Gray2DotMatrix(black.data(), 5, -3, 2, small, MarvikESCP::HT_8X8) +
                MarvikESCP::Gray2DotMatrix(black.data(), 5, 3, 2, out, static_cast<MarvikESCP::Halftone>(4)),
            -4);
  EXPECT_EQ(small, Bytes(7, 7));
}

}  // namespace
}  // namespace marvik::test
