// The round-trip check must catch the placement faults a dot-matrix encoder
// is prone to. Each case holds a byte table with the fault next to the
// correct one for the same small page: the correct bytes compare equal, the
// faulty ones show exactly the dots they misplace (or are refused).
#include <gtest/gtest.h>

#include <string>

#include "preview_test_support.h"
#include "roundtrip_support.h"

namespace roundtrip {
namespace {

using marvik::preview::Bytes;
using marvik::preview::Join;

const std::vector<uint8_t> kCr = Bytes({0x0D});
const std::vector<uint8_t> kFormFeed = Bytes({0x0C});

// CR, then a feed of n/360 in: ESC ( U 10, ESC ( v n, ESC ( U 60.
std::vector<uint8_t> Fine(int n) {
  return Bytes({0x0D, 0x1B, 0x28,     0x55,   0x01, 0x00, 0x0A, 0x0D, 0x1B, 0x28, 0x76,
                0x02, 0x00, n & 0xFF, n >> 8, 0x1B, 0x28, 0x55, 0x01, 0x00, 0x3C});
}

// ESC * m with `count` columns, each the bytes of `column`.
std::vector<uint8_t> Image(int m, int count, const std::vector<uint8_t>& column) {
  std::vector<uint8_t> bytes = Bytes({0x1B, 0x2A, m, count & 0xFF, count >> 8});
  for (int i = 0; i < count; ++i) bytes.insert(bytes.end(), column.begin(), column.end());
  return bytes;
}

const std::vector<uint8_t> kTop = Bytes({0x80, 0x00, 0x00});
const std::vector<uint8_t> kFull = Bytes({0xFF, 0xFF, 0xFF});
const std::vector<uint8_t> kWhite = Bytes({0x00, 0x00, 0x00});

RasterPage Filled(Resolution r, uint32_t width, uint32_t height, uint32_t firstRow, uint32_t rows) {
  RasterPage page = WhitePage(r, width, height);
  for (uint32_t y = firstRow; y < firstRow + rows; ++y) {
    for (uint32_t x = 0; x < width; ++x) SetDot(page, x, y);
  }
  return page;
}

struct FaultCase {
  const char* name;
  RasterPage page;
  std::vector<uint8_t> correct;
  std::vector<uint8_t> faulty;
  bool refused;  // the faulty bytes cannot even be read as printer commands
  int64_t missing;
  int64_t extra;
};

std::vector<FaultCase> Cases() {
  std::vector<FaultCase> cases;
  {
    // 360 x 360, two bands of 48 black rows, 8 columns. Each band is two
    // passes with a one-row feed between them; the next band starts 47 rows
    // below, not 48, or it lands a row low.
    std::vector<uint8_t> band = Join({Image(40, 8, kFull), Fine(1), Image(40, 8, kFull)});
    cases.push_back(FaultCase{"FeedBetweenPassesCountedTwice", Filled({360, 360}, 8, 100, 0, 96),
                              Join({Fine(0), band, Fine(47), band, kFormFeed}),
                              Join({Fine(0), band, Fine(48), band, kFormFeed}), false, 8, 8});
  }
  {
    // 180 x 180, 30 rows: dots in row 0 and row 28. Row 28 has no full band
    // below it; it must still print, as a band cut off by the page's end.
    RasterPage page = WhitePage({180, 180}, 8, 30);
    for (uint32_t x = 0; x < 8; ++x) {
      SetDot(page, x, 0);
      SetDot(page, x, 28);
    }
    std::vector<uint8_t> top = Join({kCr, Image(39, 8, kTop)});
    cases.push_back(FaultCase{"BottomRowsDropped", page,
                              Join({top, Bytes({0x0D, 0x1B, 0x4A, 0x1C}), Image(39, 8, kTop), kFormFeed}),
                              Join({top, kFormFeed}), false, 8, 0});
  }
  {
    // 180 x 360: one pass of six bytes per column under a three-byte mode
    // leaves half the image to be read as commands.
    cases.push_back(FaultCase{
        "SixBytesUnderAThreeByteMode", Filled({180, 360}, 4, 48, 0, 48),
        Join({Fine(0), Image(39, 4, kFull), Fine(1), Image(39, 4, kFull), kFormFeed}),
        Join({kCr, Image(39, 4, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})), kFormFeed}), true, 0, 0});
  }
  {
    // 180 x 180, dots in row 0 at columns 0-9 and 400-409. ESC $ 133 puts
    // the head at column 399; the image after it must begin there, with a
    // white column, or every later column prints one to the left.
    RasterPage page = WhitePage({180, 180}, 1000, 24);
    for (uint32_t x = 0; x < 10; ++x) {
      SetDot(page, x, 0);
      SetDot(page, 400 + x, 0);
    }
    std::vector<uint8_t> left = Join({kCr, Image(39, 10, kTop), Bytes({0x1B, 0x24, 0x85, 0x00})});
    std::vector<uint8_t> shifted = Join({Bytes({0x1B, 0x2A, 0x27, 0x0B, 0x00}), kWhite});
    for (int i = 0; i < 10; ++i) shifted.insert(shifted.end(), kTop.begin(), kTop.end());
    cases.push_back(FaultCase{"ColumnAfterSkipOneLeft", page, Join({left, shifted, kFormFeed}),
                              Join({left, Image(39, 10, kTop), kFormFeed}), false, 1, 1});
  }
  return cases;
}

TEST(FaultDetection, CorrectBytesCompareEqualAndFaultyOnesShowTheirMisplacedDots) {
  for (const FaultCase& c : Cases()) {
    Outcome correct = InterpretAndCompare(c.correct, {c.page});
    EXPECT_TRUE(correct.identical()) << c.name << " (correct): " << correct.Describe();

    Outcome faulty = InterpretAndCompare(c.faulty, {c.page});
    EXPECT_FALSE(faulty.identical()) << c.name;
    EXPECT_EQ(!faulty.run.ok(), c.refused) << c.name << ": " << faulty.Describe();
    if (c.refused || faulty.pages.size() != 1) continue;
    EXPECT_EQ(faulty.pages[0].missing, c.missing) << c.name;
    EXPECT_EQ(faulty.pages[0].extra, c.extra) << c.name;
  }
}

// The comparison itself, on pages built by hand.
TEST(ComparePage, CountsMissingAndExtraDotsAndIgnoresRowPadding) {
  RasterPage raster = WhitePage({180, 180}, 10, 4);
  SetDot(raster, 2, 1);
  SetDot(raster, 9, 3);
  raster.bits[0] = 0x00;
  raster.bits[1] = 0x3F;  // padding bits after pixel 9 of row 0: never printed, never missed

  struct Case {
    const char* name;
    std::vector<std::pair<int64_t, int64_t>> printed;
    int64_t missing;
    int64_t extra;
    std::vector<int64_t> rows;
  };
  const Case cases[] = {
      {"Same", {{2, 1}, {9, 3}}, 0, 0, {}},
      {"OneMissing", {{2, 1}}, 1, 0, {3}},
      {"OneMoved", {{3, 1}, {9, 3}}, 1, 1, {1}},
      {"RightOfWidth", {{2, 1}, {9, 3}, {10, 0}}, 0, 1, {0}},
      {"BelowLastRow", {{2, 1}, {9, 3}, {0, 4}}, 0, 1, {4}},
  };
  for (const Case& c : cases) {
    marvik::preview::DotCanvas canvas({180, 180}, 100, 100, 1 << 20);
    for (const auto& dot : c.printed) canvas.Set(dot.first, dot.second);
    marvik::preview::PageComparison result = marvik::preview::ComparePage(canvas, raster);
    EXPECT_EQ(result.missing, c.missing) << c.name;
    EXPECT_EQ(result.extra, c.extra) << c.name;
    std::vector<int64_t> rows;
    for (const auto& row : result.firstRows) rows.push_back(row.row);
    EXPECT_EQ(rows, c.rows) << c.name;
  }
  EXPECT_EQ(marvik::preview::CountDots(raster), 2);
}

TEST(ComparePage, KeepsOnlyTheFirstDifferingRows) {
  RasterPage raster = WhitePage({180, 180}, 8, 20);
  for (uint32_t y = 0; y < 20; ++y) SetDot(raster, 0, y);
  marvik::preview::DotCanvas canvas({180, 180}, 100, 100, 1 << 20);
  marvik::preview::PageComparison result = marvik::preview::ComparePage(canvas, raster);
  EXPECT_EQ(result.missing, 20);
  ASSERT_EQ(result.firstRows.size(), marvik::preview::kReportedRows);
  EXPECT_EQ(result.firstRows.back().row, 4);
}

}  // namespace
}  // namespace roundtrip
