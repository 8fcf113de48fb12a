// The interpreter on hand-made streams: what the encoder never sends (other
// image modes, line feeds, receipt commands, bad bytes), where round trips
// would not look (a skip from a non-zero column, feeds of 256 units and more,
// the ESC ( U unit), how pages are cut and described, and the comparison.
#include <gtest/gtest.h>

#include "tests/tools/RoundTrip.h"
#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/PageReport.h"

namespace marvik::test {
namespace {

using preview::Head;
using Status = preview::RunResult::Status;

const char* const kTopDot = " 1B 2A 27 01 00 80 00 00";  // one 180 dpi column, top dot only

// Keeps every page and its description.
struct KeepingSink : preview::PageSink {
  explicit KeepingSink(Resolution resolution = {360, 360}) : resolution(resolution) {}
  bool PageResolution(int32_t, Resolution* r) override {
    *r = resolution;
    return true;
  }
  bool TakePage(const preview::Page& page) override {
    pages.push_back(page);
    texts.push_back(preview::DescribePage(page));
    return static_cast<int32_t>(pages.size()) != stopAfter;
  }
  Resolution resolution;
  int32_t stopAfter = -1;
  std::vector<preview::Page> pages;  // canvases gone: see texts
  std::vector<std::string> texts;
};

preview::RunResult RunBytes(const std::string& hex, KeepingSink& sink, Head head = Head::kPins24,
                            bool lenient = false, preview::Limits limits = {}, bool impact = false) {
  const Bytes bytes = Hex(hex);
  preview::InterpreterOptions options;
  options.head = head, options.lenient = lenient, options.limits = limits, options.impact = impact;
  return preview::Interpret(bytes.data(), bytes.size(), options, sink);
}

TEST(EscpInterpreter, DotsLandWhereTheCommandsPutTheHead) {
  const std::string top = kTopDot;
  const std::pair<std::string, const char*> cases[] = {
      // Dots at 360 dpi, and where they lie.
      {"1B 28 76 02 00 01 00" + top, "1 dots at 360x360 dpi, bbox x 0..0, y 6..6"},  // ESC ( v in 1/60 in
      {"1B 28 55 01 00 05 1B 28 76 02 00 00 01" + top, "1 dots at 360x360 dpi, bbox x 0..0, y 128..128"},
      {"1B 28 55 01 00 0A 1B 24 0A 00" + top,
       "1 dots at 360x360 dpi, bbox x 10..10, y 0..0"},                      // ESC ( U unit
      {"1B 28 55 01 00 0A 1B 40 1B 24 01 00" + top, "bbox x 6..6, y 0..0"},  // ESC @: 1/60 in again
      // ESC $ is absolute: 266/60 in, not counted from the image's end.
      {"1B 2A 27 03 00 80 00 00 00 00 00 00 00 00 1B 24 0A 01" + top,
       "2 dots at 360x360 dpi, bbox x 0..1596"},
      {"1B 24 01 00 0A" + top, "1 dots at 360x360 dpi, bbox x 0..0, y 60..60"},  // LF: 1/6 in, to the margin
      {"1B 2A 20 02 00 80 00 00 80 00 00", "2 dots at 360x360 dpi, bbox x 0..6, y 0..0"},  // mode 32: 60 dpi
      {"1B 2A 26 02 00 80 00 00 80 00 00", "2 dots at 360x360 dpi, bbox x 0..4, y 0..0"},  // mode 38: 90 dpi
      // A head without adjacent dots at 360 dpi (ESC * 40) skips a pin that
      // fired one column before, and fires it again in the next; a move back,
      // a feed or another mode gives the pin its time.
      {"1B 2A 28 03 00 80 00 00 80 00 00 80 00 00", "2 dots at 360x360 dpi, bbox x 0..2, y 0..0 px"},
      {"1B 2A 28 03 00 80 00 00 80 00 00 80 00 00", ", 1 dots dropped by the impact head"},
      {"1B 2A 28 01 00 80 00 00 1B 24 00 00 1B 2A 28 02 00 00 00 00 80 00 00", ", 0 dots dropped"},
      {"1B 2A 28 01 00 80 00 00 1B 4A 01 1B 2A 28 01 00 80 00 00", ", 0 dots dropped"},
      {"1B 2A 27 02 00 80 00 00 80 00 00", ", 0 dots dropped"},
  };
  for (const auto& c : cases) {
    KeepingSink sink;
    const preview::RunResult result = RunBytes(c.first, sink, Head::kPins24, false, {}, true);
    ASSERT_TRUE(result.ok()) << c.first << ": " << result.message;
    EXPECT_NE(sink.texts.at(0).find(c.second), std::string::npos) << c.first << ": " << sink.texts[0];
  }
}

TEST(EscpInterpreter, StopsAtAFaultyCommandAndSaysWhy) {
  struct Case {
    const char* bytes;
    Status status;
    size_t offset;
    const char* says;
    Head head = Head::kPins24;
  };
  const Case cases[] = {
      {"41", Status::kBadByte, 0, "unknown byte 0x41"},
      {"1B 40 0D 0A 99", Status::kBadByte, 4, "0x99"},
      {"0D 1B", Status::kTruncated, 1, "truncated ESC"},
      {"1B 51", Status::kBadByte, 0, "ESC 0x51"},
      {"1B 2A 27 02 00 FF FF FF", Status::kTruncated, 0, "needs 11 bytes, 8 left"},
      {"1B 2A 27 02", Status::kTruncated, 0, "ESC *"},
      {"1B 2A 01 01 00 FF", Status::kBadParameter, 0, "mode 1 is not a 24-pin mode"},
      {"1B 2A 27 01 00 01 02 03", Status::kBadParameter, 0, "not a 9-pin mode", Head::kPins9},
      {"1B 28 55 02 00 0A 00", Status::kBadParameter, 0, "2 parameter bytes"},
      {"1B 28 55 01 00 00", Status::kBadParameter, 0, "unit of 0"},
      {"1B 28 76 02 00 01", Status::kTruncated, 0, "ESC ( v"},
      {"1B 28 41", Status::kBadByte, 0, "ESC ( 0x41"},
      {"1B 43 00 00", Status::kBadParameter, 0, "0 inches"},
      {"1C 43 00 00", Status::kBadParameter, 0, "page length of 0"},
      {"1C 41", Status::kBadByte, 0, "FS 0x41"},
      {"1D 56 42", Status::kTruncated, 0, "GS V"},
      {"1D 41", Status::kBadByte, 0, "GS 0x41"},
      {"1B 55 05", Status::kBadParameter, 0, "ESC U"},
      {"1B 70 00 33", Status::kTruncated, 0, "ESC p"},
  };
  for (const Case& c : cases) {
    KeepingSink sink;
    const preview::RunResult result = RunBytes(c.bytes, sink, c.head);
    EXPECT_EQ(result.status, c.status) << c.bytes;
    EXPECT_EQ(result.offset, c.offset) << c.bytes;
    EXPECT_NE(result.message.find(c.says), std::string::npos) << c.bytes << ": " << result.message;
  }
  // Lenient, bad bytes are skipped and counted and printing goes on.
  KeepingSink sink;
  const preview::RunResult lenient =
      RunBytes("1B 40 99" + std::string(kTopDot) + " 98 1B 2A 27", sink, Head::kPins24, true);
  ASSERT_TRUE(lenient.ok()) << lenient.message;
  EXPECT_EQ(lenient.firstSkipOffset, 2u);
  EXPECT_GE(lenient.skipped, 2);
  EXPECT_EQ(sink.texts.at(0).rfind("page 1: 1 dots at 360x360 dpi, bbox x 0..0, y 0..0", 0), 0u);
}

TEST(EscpInterpreter, EachPageHasItsLengthCommandsAndDescription) {
  KeepingSink sink;
  // Page 1: ESC C 0 1 (1 in), a dot 1 in down; page 2: ESC 2 ESC C 66 and
  // receipt commands; page 3: its length cleared by ESC @, two 360 dpi
  // columns side by side, no form feed.
  const preview::RunResult result =
      RunBytes("1B 43 00 01 1B 4A B4" + std::string(kTopDot) +
                   " 0C 1B 40 1B 32 1B 43 42 1B 55 01 1B 70 00 33 00 1D 0C 1D 56 42 70 1D 56 01 0D 0C"
                   " 1B 40 1B 2A 28 03 00 FF FF FF 3C 00 00 F0 00 00",
               sink);
  ASSERT_TRUE(result.ok()) << result.message;
  ASSERT_EQ(result.pages, 3);
  EXPECT_EQ(
      sink.texts[0],
      "page 1: 1 dots at 360x360 dpi, bbox x 0..0, y 360..360 px (0.00..0.00 in across, 1.00..1.00 in down), "
      "page length ESC C 0 1 (1.00 in), dots run 0.00 in past the page length\n"
      "  commands: FF x1, ESC C x1, ESC J x1, ESC * x1\n");
  EXPECT_EQ(
      sink.texts[1],
      "page 2: 0 dots at 360x360 dpi, no bbox, page length ESC C 66 lines (11.00 in)\n"
      "  commands: ESC @ x1, CR x1, FF x1, ESC 2 x1, ESC C x1, ESC U x1, ESC p x1, GS V x2, GS FF x1\n");
  EXPECT_EQ(sink.pages[2].length.form, preview::PageLength::Form::kNotSet);
  EXPECT_FALSE(sink.pages[2].endedByFormFeed);
  EXPECT_EQ(sink.pages[2].adjacentDots, 4 + 2);  // 0x3C after 0xFF, then 0xF0 after 0x3C
  EXPECT_NE(sink.texts[2].find("no form feed at the end, 6 dots next to another"), std::string::npos);

  KeepingSink carried;
  ASSERT_TRUE(RunBytes("1B 43 00 0C 0C 0C 1B 4A 05 0D", carried).ok());
  ASSERT_EQ(carried.pages.size(), 2u);
  EXPECT_NE(carried.texts[1].find("ESC C 0 12 (12.00 in) from an earlier page"), std::string::npos);
  EXPECT_EQ(RunBytes("0C 1B 40 0D 1B 4A 05", carried).trailingCommands, 2);
  KeepingSink coarse({90, 90});  // two dots 1/180 in apart share one pixel
  ASSERT_TRUE(RunBytes("1B 2A 27 01 00 C0 00 00", coarse).ok());
  EXPECT_EQ(coarse.texts[0].rfind("page 1: 1 dots (1 struck twice)", 0), 0u);
}

TEST(EscpInterpreter, RefusesWhatWouldGrowBeyondItsBounds) {
  preview::Limits unlimited, fewPages, tinyCanvas;
  fewPages.maxPages = 2;
  tinyCanvas.maxCanvasBytes = 4096;
  const std::tuple<std::string, preview::Limits, Resolution, const char*> cases[] = {
      {"1B 24 FF FF" + std::string(kTopDot), unlimited, {360, 360}, "beyond the page limit"},
      {"0C 0C 0C", fewPages, {360, 360}, "more than 2 pages"},
      {"1B 4A FF" + std::string(kTopDot), tinyCanvas, {360, 360}, "MiB"},
      {kTopDot, unlimited, {5000, 360}, "render resolution 5000x360"}};
  for (const auto& [bytes, limits, render, says] : cases) {
    KeepingSink sink(render);
    const preview::RunResult result = RunBytes(bytes, sink, Head::kPins24, true, limits);
    EXPECT_EQ(result.status, Status::kLimit) << says;
    EXPECT_NE(result.message.find(says), std::string::npos) << result.message;
  }
  KeepingSink stopping;
  stopping.stopAfter = 1;
  EXPECT_EQ(RunBytes("0C 0C 0C", stopping).status, Status::kStopped);
  EXPECT_EQ(stopping.pages.size(), 1u);
  EXPECT_TRUE(preview::Interpret(nullptr, 5, {}, stopping).ok());
}

TEST(ComparePage, CountsMissingAndExtraDotsAndIgnoresRowPadding) {
  RasterPage raster = WhitePage({180, 180}, 10, 4);
  SetDot(raster, 2, 1);
  SetDot(raster, 9, 3);
  raster.bits[1] = 0x3F;  // padding bits after pixel 9 of row 0: never printed, never missed
  preview::DotCanvas canvas({180, 180}, 100, 100, 1 << 20);
  // (2, 1) moved one to the right; extra dots right of the width and below the last row.
  for (auto dot : {std::make_pair(3, 1), {9, 3}, {10, 0}, {0, 4}, {0, 5}, {0, 6}, {0, 7}}) {
    canvas.Set(dot.first, dot.second);
  }
  const preview::PageComparison result = preview::ComparePage(canvas, raster);
  EXPECT_EQ(result.missing, 1);
  EXPECT_EQ(result.extra, 6);
  std::string rows;  // the first five: row missing/extra
  for (const auto& r : result.firstRows)
    rows += " " + std::to_string(r.row) + " " + std::to_string(r.missing) + "/" + std::to_string(r.extra);
  EXPECT_EQ(rows, " 0 0/1 1 1/1 4 0/1 5 0/1 6 0/1");
  EXPECT_EQ(preview::CountDots(raster), 2);
}

}  // namespace
}  // namespace marvik::test
