// The encoder's bytes where a round trip through the preview cannot judge
// them: whether a white run is skipped or sent, the feeds of two-pass bands,
// 9-pin positions, long commands split, what it refuses; and its command
// notation, halftoning and log lines.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "logging/marvlog.h"
#include "printer/MarvikESCP.h"
#include "tests/printer/HexBytes.h"

namespace marvik::test {
namespace {

struct Ink {
  uint64_t x0, x1, y0, y1;  // inclusive rectangle
};

// The page body of a page with ink in the given rectangles, as hex.
std::string Body(pin_type_e pins, int dpiX, int dpiY, uint64_t width, uint64_t height, std::vector<Ink> ink) {
  const uint64_t bytesPerLine = (width + 7) / 8;
  Bytes bits(bytesPerLine * height, 0);
  for (const Ink& r : ink) {
    for (uint64_t y = r.y0; y <= r.y1; ++y) {
      for (uint64_t x = r.x0; x <= r.x1; ++x) bits[y * bytesPerLine + x / 8] |= 0x80 >> (x % 8);
    }
  }
  MarvikESCP enc(pins, dpiX, dpiY);
  EXPECT_EQ(enc.DotMatrix2Page(bits.data(), bytesPerLine, width, height), 1);
  return ToHex(enc.PrinterData());
}

// " c c c": `column` n times.
std::string Repeat(int n, const std::string& column) {
  std::string out;
  for (int i = 0; i < n; ++i) out += " " + column;
  return out;
}

// ESC * m and the columns given, `colBytes` bytes each.
std::string Image(const char* m, size_t colBytes, const std::string& columns) {
  const size_t count = Hex(columns).size() / colBytes;
  char head[32];
  std::snprintf(head, sizeof head, " 1B 2A %s %02zX %02zX", m, count & 0xFF, count >> 8);
  return head + columns;
}

const std::string kTop = " 80 00 00", kWhite = " 00 00 00";
std::string Fine(const char* units) {  // CR and a feed in 1/360 inch, then ESC $ in 1/60 again
  return " 0D 1B 28 55 01 00 0A 0D 1B 28 76 02 00 " + std::string(units) + " 1B 28 55 01 00 3C";
}

TEST(Encoder, BandsByteForByte) {
  EXPECT_EQ(Body(PIN_TYPE_24, 180, 180, 100, 50, {}), "");
  // A run of dpiX + 1 columns (end - start = 180) is more than an inch:
  // skipped, ESC $ 60 puts the head at column 180. One column less is sent.
  EXPECT_EQ(
      Body(PIN_TYPE_24, 180, 180, 200, 24, {{0, 0, 0, 0}, {182, 182, 0, 0}}),
      ToHex(Hex("0D" + Image("27", 3, kTop) + " 1B 24 3C 00" + Image("27", 3, kWhite + kWhite + kTop))));
  EXPECT_EQ(Body(PIN_TYPE_24, 180, 180, 200, 24, {{0, 0, 0, 0}, {181, 181, 0, 0}}),
            ToHex(Hex("0D" + Image("27", 3, kTop + Repeat(180, kWhite) + kTop))));
  // A run from column 0 counts like any other, with no empty image before.
  // The run 10-400 ends rounded down to 399 (ESC $ 133); the image after it
  // starts there, so column 401 is its third.
  EXPECT_EQ(Body(PIN_TYPE_24, 180, 180, 201, 24, {{200, 200, 0, 0}}),
            ToHex(Hex("0D 1B 24 42 00" + Image("27", 3, kWhite + kWhite + kTop))));
  EXPECT_EQ(Body(PIN_TYPE_24, 180, 180, 600, 24, {{0, 9, 0, 0}, {401, 401, 0, 0}}),
            ToHex(Hex("0D" + Image("27", 3, Repeat(10, kTop)) + " 1B 24 85 00" +
                      Image("27", 3, kWhite + kWhite + kTop))));
  // 160 dpi: 8 columns make 3/60 in; the run 1-199 ends at 192, ESC $ 72.
  EXPECT_EQ(
      Body(PIN_TYPE_9, 160, 72, 201, 8, {{0, 0, 0, 0}, {200, 200, 0, 0}}),
      ToHex(Hex("0D" + Image("01", 1, " 80") + " 1B 24 48 00" + Image("01", 1, Repeat(8, "00") + " 80"))));
  // Two-pass bands: even rows, a one-row feed, odd rows. The next band
  // feeds 47 rows: its 48 less the one between the passes.
  const std::string band = Image("28", 3, " FF FF FF") + Fine("01 00") + Image("28", 3, " FF FF FF");
  EXPECT_EQ(Body(PIN_TYPE_24, 360, 360, 1, 96, {{0, 0, 0, 95}}),
            ToHex(Hex(Fine("00 00") + band + Fine("2F 00") + band)));
  EXPECT_EQ(Body(PIN_TYPE_9, 160, 144, 1, 32, {{0, 0, 0, 0}, {0, 0, 3, 3}, {0, 0, 16, 16}}),
            ToHex(Hex("0D" + Image("01", 1, " 80") + " 0D 1B 4A 01" + Image("01", 1, " 40") + " 0D 1B 4A 0F" +
                      Image("01", 1, " 80") + " 0D 1B 4A 01" + Image("01", 1, " 00"))));
}

TEST(Encoder, FeedsAndLongCommands) {
  const std::pair<MarvikESCP, int> feeds[] = {
      {{PIN_TYPE_24, 180, 180}, 256}, {{PIN_TYPE_24, 180, 180}, -4}, {{PIN_TYPE_9, 160, 72}, 3},
      {{PIN_TYPE_9, 360, 360}, 5},    {{PIN_TYPE_18, 120, 360}, 3},  {{PIN_TYPE_24, 360, 360}, 70000}};
  const std::string bytes[] = {"0D 1B 4A FF 1B 4A 01",
                               "0D",
                               "0D 1B 4A 06",  // 144 / 72 steps a row
                               "0D",           // no ESC ( on 9 pins
                               Fine("03 00"),  // ESC J counts 1/180 in
                               Fine("FF FF 1B 28 76 02 00 71 11")};
  for (size_t i = 0; i < std::size(feeds); ++i) {
    MarvikESCP enc = feeds[i].first;
    enc.AddVertical(feeds[i].second);
    EXPECT_EQ(ToHex(enc.PrinterData()), ToHex(Hex(bytes[i]))) << i;
  }
  MarvikESCP noRows(PIN_TYPE_24, 180, 180);
  noRows.SetDpiY(0);
  noRows.AddVertical(10);  // no division by zero
  EXPECT_EQ(ToHex(noRows.PrinterData()), "0D");
  // Over 65535 columns: two images that join, 65535 + 2 columns.
  Bytes many(65537, 0);
  many[65535] = 0xA1, many[65536] = 0xA2;
  MarvikESCP nine(PIN_TYPE_9, 160, 72);  // mode 1, one byte a column
  nine.AddGraphic(many.data(), many.size(), 1);
  const std::string out = ToHex(nine.PrinterData());
  EXPECT_EQ(out.substr(0, 14) + " " + out.substr(out.size() - 20), "1B 2A 01 FF FF 1B 2A 01 02 00 A1 A2");
  EXPECT_EQ(nine.PrinterData().size(), 5u + 65535u + 5u + 2u);
}

TEST(Encoder, GeometryAndRefusals) {
  // The geometries no round trip reaches: lines a band, feed unit, mode (-1:
  // none, refused).
  const std::pair<MarvikESCP, std::vector<int>> geometries[] = {
      {{PIN_TYPE_18, 180, 180}, {72, 180, 41}},
      {{PIN_TYPE_18, 360, 180}, {24, 180, 40}},
      {{PIN_TYPE_24, 60, 72}, {24, 180, 39}},
      {{PIN_TYPE_9, 180, 180}, {8, 144, -1}},
      {{static_cast<pin_type_e>(12), 180, 180}, {0, 0, -1}}};
  for (const auto& g : geometries) {
    EXPECT_EQ((std::vector<int>{g.first.LinesPerRow(), g.first.VerticalUnit(), g.first.BitmapM()}), g.second)
        << g.first.PinType() << " pins " << g.first.DpiX() << "x" << g.first.DpiY();
  }
  // Pages it would read outside of, or divide by zero for: refused, with an
  // empty body. Bytes a line and width; the last two changed after construction.
  MarvikESCP refused[] = {{PIN_TYPE_24, 180, 180}, {PIN_TYPE_24, 180, 180}, {PIN_TYPE_24, 180, 180},
                          {PIN_TYPE_24, 59, 180},  {PIN_TYPE_24, 160, 144}, {PIN_TYPE_9, 360, 360},
                          {PIN_TYPE_9, 180, 180},  {PIN_TYPE_24, 180, 180}, {PIN_TYPE_24, 180, 180}};
  const std::pair<uint64_t, uint64_t> sizes[] = {{0, 8},  {2, 17}, {2, 0},  {2, 16}, {2, 16},
                                                 {2, 16}, {2, 16}, {2, 16}, {2, 16}};
  refused[7].SetLinesPerRow(12);
  refused[8].SetDpiX(360), refused[8].SetDpiY(360);
  const Bytes page(2 * 64, 0xFF);
  for (size_t i = 0; i < std::size(refused); ++i) {
    refused[i].PrinterData() = Hex("AA");
    EXPECT_EQ(refused[i].DotMatrix2Page(page.data(), sizes[i].first, sizes[i].second, 64), -1) << i;
    EXPECT_TRUE(refused[i].PrinterData().empty()) << i;
  }
  refused[0].PrinterData() = Hex("AA");
  EXPECT_EQ(refused[0].DotMatrix2Page(nullptr, 2, 16, 64), -1);
  EXPECT_EQ(ToHex(refused[0].PrinterData()), "AA");  // a null page leaves the body alone
}

TEST(Encoder, CommandNotation) {
  const std::pair<const char*, const char*> cases[] = {{"<1B>@<1d>V<4270>", "1B 40 1D 56 42 70"},
                                                       {"<1B>2<1B>C<42>", "1B 32 1B 43 42"},
                                                       {"a>b<>", "61 3E 62"},
                                                       {"<ff><FF><fF><aB>", "FF FF FF AB"},
                                                       {"<G0><0G><GG>", "F0 FF EF"},
                                                       {"<", ""},
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
  Bytes out = Hex("AA");
  MarvikESCP::NumSplit(305, out);
  MarvikESCP::NumSplit(0, out);
  EXPECT_EQ(ToHex(out), "AA 33 30 35 30");  // appended, not replaced
  EXPECT_EQ(MarvikESCP::Num2String(2147483647) + MarvikESCP::Num2String(-5), "2147483647");
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
  for (int pattern = MarvikESCP::HT_AUTO; pattern <= MarvikESCP::HT_8X8; ++pattern) {
    EXPECT_EQ(dither(0, 32, pattern), Bytes(32 * 32, 1)) << pattern;
    EXPECT_EQ(dither(255, 32, pattern), Bytes(32 * 32, 0)) << pattern;
  }
  // Gray 1 misses only the threshold 1: at (row 1, column 5) of the 6 x 6
  // matrix, at (1, 13) and (9, 5) of the supercell. Gray 128 dots row 0 of
  // the 8 x 8 matrix only where 248 and 209 exceed it.
  const Bytes g1 = dither(1, 12, MarvikESCP::HT_6X6), s1 = dither(1, 16, MarvikESCP::HT_SUPERCELL);
  for (int i = 0; i < 144; ++i) EXPECT_EQ(g1[i], (i / 12 % 6 == 1 && i % 12 % 6 == 5) ? 0 : 1) << i;
  EXPECT_EQ(std::count(s1.begin(), s1.end(), 0) + s1[1 * 16 + 13] + s1[9 * 16 + 5], 2);
  const Bytes g128 = dither(128, 8, MarvikESCP::HT_8X8);
  EXPECT_EQ(Bytes(g128.begin(), g128.begin() + 8), (Bytes{1, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(dither(100, 13, MarvikESCP::HT_AUTO), dither(100, 13, MarvikESCP::HT_6X6));
  // Stride 5, width 3: the bytes past the width keep their value. Refused,
  // nothing written: an output too small, no image, a negative width, an
  // unknown pattern.
  const Bytes black(10, 0);
  Bytes out(10, 7), small(7, 7);
  EXPECT_EQ(MarvikESCP::Gray2DotMatrix(black.data(), 5, 3, 2, out, MarvikESCP::HT_8X8), 1);
  EXPECT_EQ(out, (Bytes{1, 1, 1, 7, 7, 1, 1, 1, 7, 7}));
  EXPECT_EQ(MarvikESCP::Gray2DotMatrix(black.data(), 5, 3, 2, small, MarvikESCP::HT_8X8) +
                MarvikESCP::Gray2DotMatrix(nullptr, 5, 3, 2, out, MarvikESCP::HT_8X8) +
                MarvikESCP::Gray2DotMatrix(black.data(), 5, -3, 2, small, MarvikESCP::HT_8X8) +
                MarvikESCP::Gray2DotMatrix(black.data(), 5, 3, 2, out, static_cast<MarvikESCP::Halftone>(4)),
            -4);
  EXPECT_EQ(small, Bytes(7, 7));
}

// The encoder's diagnostic lines in the main logger, in order.
TEST(Encoder, LogLines) {
  char dir[] = "/tmp/printer-log-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  marvlog::ILogManager& log = marvlog::ILogManager::getRef();
  log.setLoggerPath(marvlog::MARVLOG_MAIN_LOGGER_ID, dir);
  log.setLoggerName(marvlog::MARVLOG_MAIN_LOGGER_ID, "encoder");
  log.setLoggerDisplay(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
  ASSERT_TRUE(log.start());
  const unsigned char page[48] = {0x80};  // one dot, top left
  MarvikESCP(PIN_TYPE_24, 180, 180).DotMatrix2Page(page, 1, 8, 48);
  MarvikESCP(PIN_TYPE_24, 360, 360).DotMatrix2Page(page, 1, 8, 48);
  log.stop();

  // The messages of the LOG_DEBUG lines: between the level and " file:line".
  std::ifstream in(std::string(dir) + "/encoder.log");
  std::string messages, line;
  while (std::getline(in, line)) {
    const size_t at = line.find(" LOG_DEBUG ");
    if (at != std::string::npos) messages += line.substr(at + 11, line.rfind(' ') - at - 11) + "|";
  }
  EXPECT_EQ(messages,
            "pinType: 24|dpiX: 180|dpiY: 180|linesPerRow: 24|verticalUnit: 180|bitmapM: 39|"
            "OneLineToBytesSingle in|len: 0, colBytes: 3|whiteArea.size(): 0|AddGraphic in|"
            "pinType: 24|dpiX: 360|dpiY: 360|linesPerRow: 48|verticalUnit: 360|bitmapM: 40|"
            "len: 0, colBytes: 3|whiteArea.size(): 0|AddGraphic in|whiteArea.size(): 0|AddGraphic in|");
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

}  // namespace
}  // namespace marvik::test
