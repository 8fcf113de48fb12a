// The interpreter on hand-made byte streams: where each command puts the
// head and the paper, how pages are cut, and how bad input is refused.
#include "tools/preview/EscpInterpreter.h"

#include <gtest/gtest.h>

#include <string>

#include "tools/preview/PageReport.h"
#include "preview_test_support.h"

namespace marvik::preview {
namespace {

using Dots = std::vector<std::pair<int64_t, int64_t>>;
using Status = RunResult::Status;

// One column of ESC * 39 (180 dpi, 24 dots) with only its top dot.
const std::vector<uint8_t> kTopDot = Bytes({0x1B, 0x2A, 0x27, 0x01, 0x00, 0x80, 0x00, 0x00});

struct PlacementCase {
  const char* name;
  Head head;
  Resolution render;
  std::vector<uint8_t> bytes;
  Dots dots;  // pixels at the render resolution
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
  *os << c.name;
}

class PlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, DotsLandWhereTheCommandsPutTheHead) {
  const PlacementCase& c = GetParam();
  KeepingSink sink(c.render);
  RunResult result = RunStream(c.bytes, sink, c.head);
  ASSERT_TRUE(result.ok()) << result.message << " at " << result.offset;
  ASSERT_EQ(sink.pages.size(), 1u);
  EXPECT_EQ(sink.Dots(0), c.dots);
}

const Resolution k360{360, 360};
const Resolution k9Pin{160, 144};

INSTANTIATE_TEST_SUITE_P(
    Commands, PlacementTest,
    testing::Values(
        PlacementCase{"TopDotAtHead", Head::kPins24, k360, kTopDot, {{0, 0}}},
        PlacementCase{"Dot24IsTwentyThree180thsDown",
                      Head::kPins24,
                      k360,
                      Bytes({0x1B, 0x2A, 0x27, 0x01, 0x00, 0x00, 0x00, 0x01}),
                      {{0, 46}}},
        PlacementCase{
            "EscJCountsIn180ths", Head::kPins24, k360, Join({Bytes({0x1B, 0x4A, 0x0A}), kTopDot}), {{0, 20}}},
        PlacementCase{"EscJTwiceAdds",
                      Head::kPins24,
                      k360,
                      Join({Bytes({0x1B, 0x4A, 0xFF, 0x1B, 0x4A, 0xFF}), kTopDot}),
                      {{0, 1020}}},
        PlacementCase{
            "EscVInTheEscUUnit",
            Head::kPins24,
            k360,
            Join({Bytes({0x1B, 0x28, 0x55, 0x01, 0x00, 0x0A, 0x1B, 0x28, 0x76, 0x02, 0x00, 0x05, 0x00}),
                  kTopDot}),
            {{0, 5}}},
        PlacementCase{"EscVDefaultsToSixtieths",
                      Head::kPins24,
                      k360,
                      Join({Bytes({0x1B, 0x28, 0x76, 0x02, 0x00, 0x01, 0x00}), kTopDot}),
                      {{0, 6}}},
        PlacementCase{"EscDollarInSixtieths",
                      Head::kPins24,
                      k360,
                      Join({Bytes({0x1B, 0x24, 0x0A, 0x00}), kTopDot}),
                      {{60, 0}}},
        PlacementCase{"EscDollarInTheEscUUnit",
                      Head::kPins24,
                      k360,
                      Join({Bytes({0x1B, 0x28, 0x55, 0x01, 0x00, 0x0A, 0x1B, 0x24, 0x0A, 0x00}), kTopDot}),
                      {{10, 0}}},
        PlacementCase{
            "EscAtRestoresTheSixtiethUnit",
            Head::kPins24,
            k360,
            Join({Bytes({0x1B, 0x28, 0x55, 0x01, 0x00, 0x0A, 0x1B, 0x40, 0x1B, 0x24, 0x01, 0x00}), kTopDot}),
            {{6, 0}}},
        PlacementCase{"ImageLeavesHeadAtItsEnd",
                      Head::kPins24,
                      k360,
                      Join({Bytes({0x1B, 0x2A, 0x27, 0x02, 0x00, 0x80, 0, 0, 0, 0, 0}), kTopDot}),
                      {{0, 0}, {4, 0}}},
        PlacementCase{"CarriageReturnToMargin",
                      Head::kPins24,
                      k360,
                      Join({Bytes({0x1B, 0x24, 0x01, 0x00, 0x0D}), kTopDot}),
                      {{0, 0}}},
        PlacementCase{"LineFeedIsASixthAndReturns",
                      Head::kPins24,
                      k360,
                      Join({Bytes({0x1B, 0x24, 0x01, 0x00, 0x0A}), kTopDot}),
                      {{0, 60}}},
        PlacementCase{"Mode32Is60Dpi",
                      Head::kPins24,
                      k360,
                      Bytes({0x1B, 0x2A, 0x20, 0x02, 0x00, 0x80, 0, 0, 0x80, 0, 0}),
                      {{0, 0}, {6, 0}}},
        PlacementCase{"Mode33Is120Dpi",
                      Head::kPins24,
                      k360,
                      Bytes({0x1B, 0x2A, 0x21, 0x02, 0x00, 0x80, 0, 0, 0x80, 0, 0}),
                      {{0, 0}, {3, 0}}},
        PlacementCase{"Mode38Is90Dpi",
                      Head::kPins24,
                      k360,
                      Bytes({0x1B, 0x2A, 0x26, 0x02, 0x00, 0x80, 0, 0, 0x80, 0, 0}),
                      {{0, 0}, {4, 0}}},
        PlacementCase{"Mode40Is360Dpi",
                      Head::kPins24,
                      k360,
                      Bytes({0x1B, 0x2A, 0x28, 0x02, 0x00, 0x80, 0, 0, 0x80, 0, 0}),
                      {{0, 0}, {1, 0}}},
        PlacementCase{"NinePinMode1Is160Dpi",
                      Head::kPins9,
                      k9Pin,
                      Bytes({0x1B, 0x2A, 0x01, 0x02, 0x00, 0x80, 0x80}),
                      {{0, 0}, {1, 0}}},
        PlacementCase{"NinePinMode0Is80Dpi",
                      Head::kPins9,
                      k9Pin,
                      Bytes({0x1B, 0x2A, 0x00, 0x02, 0x00, 0x80, 0x80}),
                      {{0, 0}, {2, 0}}},
        PlacementCase{"NinePinDotsAre72ndsApart",
                      Head::kPins9,
                      k9Pin,
                      Bytes({0x1B, 0x2A, 0x01, 0x01, 0x00, 0x81}),
                      {{0, 0}, {0, 14}}},
        PlacementCase{"NinePinEscJCountsIn144ths",
                      Head::kPins9,
                      k9Pin,
                      Bytes({0x1B, 0x4A, 0x01, 0x1B, 0x2A, 0x01, 0x01, 0x00, 0x80}),
                      {{0, 1}}}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

struct RefusalCase {
  const char* name;
  Head head;
  std::vector<uint8_t> bytes;
  Status status;
  size_t offset;
  const char* says;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

class RefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, StopsAtTheFaultyCommandAndSaysWhy) {
  const RefusalCase& c = GetParam();
  KeepingSink sink;
  RunResult result = RunStream(c.bytes, sink, c.head);
  EXPECT_EQ(result.status, c.status);
  EXPECT_EQ(result.offset, c.offset);
  EXPECT_NE(result.message.find(c.says), std::string::npos) << result.message;
}

INSTANTIATE_TEST_SUITE_P(
    BadStreams, RefusalTest,
    testing::Values(
        RefusalCase{"UnknownByte", Head::kPins24, Bytes({0x41}), Status::kBadByte, 0, "unknown byte 0x41"},
        RefusalCase{"UnknownByteAfterGoodOnes", Head::kPins24, Bytes({0x1B, 0x40, 0x0D, 0x0A, 0x99}),
                    Status::kBadByte, 4, "0x99"},
        RefusalCase{"LoneEscape", Head::kPins24, Bytes({0x0D, 0x1B}), Status::kTruncated, 1, "truncated ESC"},
        RefusalCase{"UnknownEscape", Head::kPins24, Bytes({0x1B, 0x51}), Status::kBadByte, 0, "ESC 0x51"},
        RefusalCase{"ImageShortOfData", Head::kPins24,
                    Bytes({0x1B, 0x2A, 0x27, 0x02, 0x00, 0xFF, 0xFF, 0xFF}), Status::kTruncated, 0,
                    "needs 11 bytes, 8 left"},
        RefusalCase{"ImageHeaderCut", Head::kPins24, Bytes({0x1B, 0x2A, 0x27, 0x02}), Status::kTruncated, 0,
                    "ESC *"},
        RefusalCase{"EightDotModeOn24Pins", Head::kPins24, Bytes({0x1B, 0x2A, 0x01, 0x01, 0x00, 0xFF}),
                    Status::kBadParameter, 0, "mode 1 is not a 24-pin mode"},
        RefusalCase{"DoubleHeightModeOn24Pins", Head::kPins24,
                    Bytes({0x1B, 0x2A, 0x48, 0x01, 0x00, 1, 2, 3, 4, 5, 6}), Status::kBadParameter, 0,
                    "mode 72"},
        RefusalCase{"TwentyFourDotModeOn9Pins", Head::kPins9, Bytes({0x1B, 0x2A, 0x27, 0x01, 0x00, 1, 2, 3}),
                    Status::kBadParameter, 0, "not a 9-pin mode"},
        RefusalCase{"UnitWithTwoBytes", Head::kPins24, Bytes({0x1B, 0x28, 0x55, 0x02, 0x00, 0x0A, 0x00}),
                    Status::kBadParameter, 0, "2 parameter bytes"},
        RefusalCase{"UnitOfZero", Head::kPins24, Bytes({0x1B, 0x28, 0x55, 0x01, 0x00, 0x00}),
                    Status::kBadParameter, 0, "unit of 0"},
        RefusalCase{"FineFeedCut", Head::kPins24, Bytes({0x1B, 0x28, 0x76, 0x02, 0x00, 0x01}),
                    Status::kTruncated, 0, "ESC ( v"},
        RefusalCase{"UnknownParenCommand", Head::kPins24, Bytes({0x1B, 0x28, 0x41}), Status::kBadByte, 0,
                    "ESC ( 0x41"},
        RefusalCase{"PageLengthOfZeroInches", Head::kPins24, Bytes({0x1B, 0x43, 0x00, 0x00}),
                    Status::kBadParameter, 0, "0 inches"},
        RefusalCase{"FinePageLengthOfZero", Head::kPins24, Bytes({0x1C, 0x43, 0x00, 0x00}),
                    Status::kBadParameter, 0, "page length of 0"},
        RefusalCase{"UnknownFsCommand", Head::kPins24, Bytes({0x1C, 0x41}), Status::kBadByte, 0, "FS 0x41"},
        RefusalCase{"CutWithFeedCut", Head::kPins24, Bytes({0x1D, 0x56, 0x42}), Status::kTruncated, 0,
                    "GS V"},
        RefusalCase{"UnknownGsCommand", Head::kPins24, Bytes({0x1D, 0x41}), Status::kBadByte, 0, "GS 0x41"},
        RefusalCase{"DirectionFive", Head::kPins24, Bytes({0x1B, 0x55, 0x05}), Status::kBadParameter, 0,
                    "ESC U"},
        RefusalCase{"PulseCut", Head::kPins24, Bytes({0x1B, 0x70, 0x00, 0x33}), Status::kTruncated, 0,
                    "ESC p"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(InterpreterPages, EachFormFeedEndsAPageWithItsOwnLengthAndCommands) {
  std::vector<uint8_t> bytes =
      Join({Bytes({0x1B, 0x40, 0x1C, 0x43, 0xA0, 0x0F, 0x0D}), kTopDot,
            Bytes({0x0C, 0x1B, 0x40}),  // page 1: FS C 4000
            Bytes({0x1B, 0x40, 0x1B, 0x32, 0x1B, 0x43, 0x42, 0x0D, 0x0C, 0x1B, 0x40}),
            Bytes({0x1B, 0x4A, 0x0A}), kTopDot, Bytes({0x0C})});  // page 3: no length
  KeepingSink sink;
  RunResult result = RunStream(bytes, sink);
  ASSERT_TRUE(result.ok()) << result.message;
  ASSERT_EQ(result.pages, 3);
  ASSERT_EQ(sink.pages.size(), 3u);
  EXPECT_EQ(result.trailingCommands, 0);

  const Page& first = sink.pages[0].page;
  EXPECT_EQ(first.number, 1);
  EXPECT_EQ(first.length.form, PageLength::Form::kFine);
  EXPECT_EQ(first.length.value, 4000);
  EXPECT_EQ(DescribePageLength(first.length), "FS C 4000/360 (11.11 in)");
  EXPECT_EQ(first.commands[static_cast<size_t>(Command::kImage)], 1);
  EXPECT_EQ(sink.pages[0].canvas.dots(), 1);

  const Page& second = sink.pages[1].page;
  EXPECT_EQ(DescribePageLength(second.length), "ESC C 66 lines (11.00 in)");
  EXPECT_TRUE(second.lengthSetOnPage);
  EXPECT_TRUE(sink.pages[1].canvas.empty());
  // The trailing reset of page 1 counts with page 2.
  EXPECT_EQ(second.commands[static_cast<size_t>(Command::kReset)], 2);

  // Page 3 never set a length; the reset at the end of page 2 cleared it.
  EXPECT_EQ(sink.pages[2].page.length.form, PageLength::Form::kNotSet);
  // A new page starts at its top of form.
  EXPECT_EQ(sink.Dots(2), (Dots{{0, 20}}));
}

TEST(InterpreterPages, LengthCarriesOverUntilReset) {
  KeepingSink sink;
  ASSERT_TRUE(RunStream(Bytes({0x1B, 0x43, 0x00, 0x0C, 0x0C, 0x0C, 0x0C}), sink).ok());
  ASSERT_EQ(sink.pages.size(), 3u);
  EXPECT_TRUE(sink.pages[0].page.lengthSetOnPage);
  EXPECT_FALSE(sink.pages[1].page.lengthSetOnPage);
  EXPECT_EQ(sink.pages[2].page.length.units, 12 * kUnitsPerInch);
}

TEST(InterpreterPages, DotsWithoutFormFeedMakeAnOpenLastPage) {
  KeepingSink sink;
  RunResult result = RunStream(Join({kTopDot, Bytes({0x0C}), Bytes({0x1B, 0x40}), kTopDot}), sink);
  ASSERT_TRUE(result.ok());
  ASSERT_EQ(sink.pages.size(), 2u);
  EXPECT_TRUE(sink.pages[0].page.endedByFormFeed);
  EXPECT_FALSE(sink.pages[1].page.endedByFormFeed);
}

TEST(InterpreterPages, CommandsAfterTheLastPageAreCountedNotPrinted) {
  KeepingSink sink;
  RunResult result = RunStream(Bytes({0x0C, 0x1B, 0x40, 0x0D, 0x1B, 0x4A, 0x05}), sink);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.pages, 1);
  EXPECT_EQ(result.trailingCommands, 2);
}

TEST(InterpreterPages, ReceiptCommandsAreCountedAndMoveNothing) {
  KeepingSink sink;
  std::vector<uint8_t> bytes = Join({Bytes({0x1B, 0x55, 0x01, 0x1B, 0x70, 0x00, 0x33, 0x00, 0x1D, 0x0C, 0x1D,
                                            0x56, 0x42, 0x70, 0x1D, 0x56, 0x01}),
                                     kTopDot});
  ASSERT_TRUE(RunStream(bytes, sink).ok());
  const CommandCounts& counts = sink.pages.at(0).page.commands;
  EXPECT_EQ(counts[static_cast<size_t>(Command::kDirection)], 1);
  EXPECT_EQ(counts[static_cast<size_t>(Command::kPulse)], 1);
  EXPECT_EQ(counts[static_cast<size_t>(Command::kMarkFeed)], 1);
  EXPECT_EQ(counts[static_cast<size_t>(Command::kCut)], 2);
  EXPECT_EQ(sink.Dots(0), (Dots{{0, 0}}));
}

TEST(InterpreterPages, CountsDotsThatFollowADotInA360DpiRow) {
  struct Case {
    std::vector<uint8_t> bytes;
    int64_t adjacent;
  };
  const Case cases[] = {
      // Three full columns at 360 dpi: columns 2 and 3 each follow a dot in all 24 rows.
      {Bytes({0x1B, 0x2A, 0x28, 0x03, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 48},
      // Alternate columns never touch.
      {Bytes({0x1B, 0x2A, 0x28, 0x03, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF}), 0},
      // Only matching rows count: 0xF0 after 0x3C shares two dots.
      {Bytes({0x1B, 0x2A, 0x28, 0x02, 0x00, 0x3C, 0x00, 0x00, 0xF0, 0x00, 0x00}), 2},
      // At 180 dpi neighbours are a full dot apart.
      {Bytes({0x1B, 0x2A, 0x27, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 0},
  };
  for (const Case& c : cases) {
    KeepingSink sink;
    ASSERT_TRUE(RunStream(c.bytes, sink).ok());
    EXPECT_EQ(sink.pages.at(0).page.adjacentDots, c.adjacent);
  }
}

TEST(PageReport, SaysWhatThePageHolds) {
  struct Case {
    std::vector<uint8_t> bytes;
    const char* says;
    Resolution render;
  };
  const Case cases[] = {
      {Join({Bytes({0x1B, 0x43, 0x00, 0x01, 0x1B, 0x4A, 0xB4}), kTopDot, Bytes({0x0C})}),
       "page 1: 1 dots at 360x360 dpi, bbox x 0..0, y 360..360 px (0.00..0.00 in across, 1.00..1.00 in "
       "down), page "
       "length ESC C 0 1 (1.00 in), dots run 0.00 in past the page length\n  commands: FF x1, ESC C x1, ESC "
       "J x1, "
       "ESC * x1\n",
       k360},
      {Join({kTopDot, kTopDot}), "page 1: 2 dots at 360x360 dpi", k360},
      // Two dots 1/180 in apart share one pixel at 90 dpi.
      {Bytes({0x1B, 0x2A, 0x27, 0x01, 0x00, 0xC0, 0x00, 0x00}), "page 1: 1 dots (1 struck twice)", {90, 90}},
      {Bytes({0x0C}), "page 1: 0 dots at 360x360 dpi, no bbox, page length not set\n  commands: FF x1\n",
       k360},
  };
  for (const Case& c : cases) {
    KeepingSink sink(c.render);
    ASSERT_TRUE(RunStream(c.bytes, sink).ok());
    Page page = sink.pages.at(0).page;
    page.canvas = &sink.pages.at(0).canvas;
    EXPECT_EQ(DescribePage(page).rfind(c.says, 0), 0u) << DescribePage(page);
  }
}

TEST(InterpreterLenient, SkipsAndCountsBadBytesAndKeepsPrinting) {
  KeepingSink sink;
  RunResult result = RunStream(Join({Bytes({0x1B, 0x40, 0x99}), kTopDot, Bytes({0x98, 0x1B, 0x2A, 0x27})}),
                               sink, Head::kPins24, /*lenient=*/true);
  ASSERT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(result.firstSkipOffset, 2u);
  EXPECT_GE(result.skipped, 2);
  EXPECT_EQ(sink.Dots(0), (Dots{{0, 0}}));
}

TEST(InterpreterLimits, RefusesWhatWouldGrowBeyondItsBounds) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    Limits limits;
    Resolution render;
    const char* says;
  };
  Limits fewPages;
  fewPages.maxPages = 2;
  Limits tinyCanvas;
  tinyCanvas.maxCanvasBytes = 4096;
  const Case cases[] = {
      {"FarRight", Join({Bytes({0x1B, 0x24, 0xFF, 0xFF}), kTopDot}), Limits{}, k360, "beyond the page limit"},
      {"TooManyPages", Bytes({0x0C, 0x0C, 0x0C}), fewPages, k360, "more than 2 pages"},
      {"TooManyRows", Join({Bytes({0x1B, 0x4A, 0xFF}), kTopDot}), tinyCanvas, k360, "MiB"},
      {"RenderTooFine", kTopDot, Limits{}, Resolution{5000, 360}, "render resolution 5000x360"},
  };
  for (const Case& c : cases) {
    KeepingSink sink(c.render);
    RunResult result = RunStream(c.bytes, sink, Head::kPins24, /*lenient=*/true, c.limits);
    EXPECT_EQ(result.status, Status::kLimit) << c.name;
    EXPECT_NE(result.message.find(c.says), std::string::npos) << c.name << ": " << result.message;
  }
}

TEST(InterpreterLimits, SinkCanStopTheRun) {
  KeepingSink sink(k360, /*stopAfter=*/1);
  RunResult result = RunStream(Bytes({0x0C, 0x0C, 0x0C}), sink);
  EXPECT_EQ(result.status, Status::kStopped);
  EXPECT_EQ(result.pages, 1);
}

TEST(InterpreterLimits, EmptyOrNullStreamPrintsNothing) {
  KeepingSink sink;
  InterpreterOptions options;
  EXPECT_TRUE(Interpret(nullptr, 5, options, sink).ok());
  EXPECT_TRUE(sink.pages.empty());
}

}  // namespace
}  // namespace marvik::preview
