// Input that arrives slowly or has extreme shapes prints exactly as the same
// pages handed over at once.
#include <gtest/gtest.h>

#include <string>

#include "FaultPages.h"

namespace faults {
namespace {

constexpr std::size_t kSyncBytes = 4;
constexpr std::size_t kHeaderBytes = 1796;

struct TrickleCase {
  const char* name;
  int version;  // 3 plain, 2 run-length compressed
};

const TrickleCase kTrickleCases[] = {
    {"plain raster, 1-byte pieces", 3},
    {"compressed raster, 1-byte pieces", 2},
};

TEST(InputFaults, ARasterStreamInOneBytePiecesWithStallsPrintsTheSameBytes) {
  const Bytes expected = Repeat(FrameOf(InchPage(), InchPageStart()), 2);
  Sandbox sandbox;
  for (const TrickleCase& c : kTrickleCases) {
    SCOPED_TRACE(c.name);
    Job job;
    job.input = filtertest::MakeStream(InchPage(), 2, c.version);
    job.chunk = 1;
    job.pauseEvery = 64;
    job.pauseMicros = 300;
    // Stalls inside the sync word, inside and right after the first header,
    // inside the first bitmap and at the middle of the stream.
    job.stallAt = {2, 700, kSyncBytes + kHeaderBytes, kSyncBytes + kHeaderBytes + 1000, job.input.size() / 2};
    job.tmp = Sandbox::FastTmp();
    const Outcome run = sandbox.Run(job);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "PAGE: 1 1\nPAGE: 2 1\n");
    EXPECT_TRUE(run.out == expected) << filtertest::ToHex(run.out);
  }
}

// A ribbon of continuous paper 111 inches long: 20,000 rows at 180 dpi.
marvik::raster::PageSpec LongPage() {
  return PatternPage(288, 8000, marvik::raster::Pattern::kChecker, "Ribbon");
}

// One dot on a page of one pixel.
marvik::raster::PageSpec DotPage() {
  marvik::raster::PageSpec page;
  page.pattern = marvik::raster::Pattern::kBlack;
  page.overrides = {{"cupsWidth", "1"},
                    {"cupsHeight", "1"},
                    {"cupsBytesPerLine", "1"},
                    {"PageSize[0]", "1"},
                    {"PageSize[1]", "1"}};
  return page;
}

TEST(InputFaults, ExtremePageShapesPrintWholeFrames) {
  ASSERT_EQ(marvik::raster::LayoutHeader(LongPage()).cupsHeight, 20000u);
  struct {
    const char* name;
    marvik::raster::PageSpec page;
    Bytes frame;
  } const cases[] = {
      // 8000 points: FS C 0x9C40 (40000/360 inch); the body from the encoder.
      {"20,000 rows", LongPage(), FrameOf(LongPage(), filtertest::Hex("1B 40 1C 43 40 9C 0D"))},
      // 1 point is below one line: no page-length command. The band: CR,
      // then ESC * 39 (24 pins, 180 dpi), 1 column, the dot in the top pin.
      {"1 x 1 pixel", DotPage(), filtertest::Hex("1B 40 0D  0D 1B 2A 27 01 00 80 00 00  0C 1B 40")},
  };
  Sandbox sandbox;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Job job;
    job.input = filtertest::MakeStream(c.page, 1);
    job.tmp = Sandbox::FastTmp();
    const Outcome run = sandbox.Run(job);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "PAGE: 1 1\n");
    EXPECT_EQ(run.out.size(), c.frame.size());
    EXPECT_TRUE(run.out == c.frame) << filtertest::ToHex(run.out, 200);
  }
}

}  // namespace
}  // namespace faults
