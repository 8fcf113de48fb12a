// Round trips through the real filter program: raster file -> rastertomarvik
// -> printer bytes, then the preview (in this process, and as the escp-preview
// program) compares them with the raster dot by dot.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "roundtrip_support.h"

namespace roundtrip {
namespace {

const std::string kFilter = MARVIK_FILTER_BIN;
const std::string kPreview = MARVIK_PREVIEW_BIN;
const std::string kPpd = MARVIK_PPD_PATH;

// Runs the filter as CUPS does on `raster`, leaving its bytes in `output`.
int RunFilter(const std::string& raster, const std::string& output, const std::string& errors) {
  return RunProgram({kFilter, "1", "tester", "roundtrip", "1", "", raster}, {"PPD=" + kPpd}, output, errors,
                    120);
}

class FilterRoundTrip : public testing::TestWithParam<Resolution> {};

// One job per resolution, one page per pattern.
TEST_P(FilterRoundTrip, EveryPatternRoundTripsExactly) {
  ScratchDir dir;
  ASSERT_TRUE(dir.ok());
  std::mt19937 rng(11);
  std::vector<RasterPage> pages;
  for (Pattern pattern : kPatterns) pages.push_back(MakePage(pattern, GetParam(), rng));
  ASSERT_TRUE(WriteRasterFile(dir.File("job.ras"), pages));
  ASSERT_EQ(RunFilter(dir.File("job.ras"), dir.File("job.prn"), dir.File("stderr")), 0);

  Outcome outcome = InterpretAndCompare(ReadFileBytes(dir.File("job.prn")), pages);
  ASSERT_TRUE(outcome.run.ok()) << outcome.Describe();
  ASSERT_EQ(outcome.pages.size(), pages.size());
  EXPECT_EQ(outcome.unmatchedPages, 0);
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_TRUE(outcome.pages[i].identical()) << PatternName(kPatterns[i]) << ": " << outcome.pages[i].missing
                                              << " missing, " << outcome.pages[i].extra << " extra dots";
  }

  // The same through the command-line tool.
  EXPECT_EQ(RunProgram({kPreview, "--compare", dir.File("job.ras"), dir.File("job.prn")}, {},
                       dir.File("compare"), dir.File("compare.err"), 120),
            0)
      << std::string(ReadFileBytes(dir.File("compare")).data(),
                     ReadFileBytes(dir.File("compare")).data() + ReadFileBytes(dir.File("compare")).size());
}

INSTANTIATE_TEST_SUITE_P(PpdResolutions, FilterRoundTrip, testing::ValuesIn(kPpdResolutions),
                         [](const testing::TestParamInfo<Resolution>& info) {
                           return "R" + std::to_string(info.param.x) + "x" + std::to_string(info.param.y);
                         });

// Random pages of every resolution in one job: the filter builds each page's
// printer model afresh, so nothing may carry from one page to the next.
TEST(FilterRoundTripProperty, RandomMixedJobRoundTripsExactly) {
  ScratchDir dir;
  ASSERT_TRUE(dir.ok());
  const unsigned seed = 5150;
  std::mt19937 rng(seed);
  std::vector<RasterPage> pages;
  for (int i = 0; i < 24; ++i) {
    pages.push_back(RandomPage(kPpdResolutions[std::uniform_int_distribution<int>(0, 4)(rng)], rng));
  }
  ASSERT_TRUE(WriteRasterFile(dir.File("job.ras"), pages));
  ASSERT_EQ(RunFilter(dir.File("job.ras"), dir.File("job.prn"), dir.File("stderr")), 0);
  Outcome outcome = InterpretAndCompare(ReadFileBytes(dir.File("job.prn")), pages);
  EXPECT_TRUE(outcome.identical()) << "seed " << seed << ": " << outcome.Describe();
  EXPECT_EQ(outcome.pages.size(), pages.size());
}

// The tool's verdict: 0 for the same dots, 1 for a difference (with the
// first differing row named), 2 for a stream it cannot read.
TEST(PreviewCompareExit, DifferencesAndBadStreamsAreNotSuccess) {
  ScratchDir dir;
  ASSERT_TRUE(dir.ok());
  RasterPage page = WhitePage(Resolution{180, 180}, 200, 60);
  SetDot(page, 10, 5);
  ASSERT_TRUE(WriteRasterFile(dir.File("one.ras"), {page}));
  ASSERT_EQ(RunFilter(dir.File("one.ras"), dir.File("one.prn"), dir.File("stderr")), 0);

  RasterPage moved = page;
  SetDot(moved, 11, 7);
  RasterPage twice = page;
  ASSERT_TRUE(WriteRasterFile(dir.File("moved.ras"), {moved}));
  ASSERT_TRUE(WriteRasterFile(dir.File("two.ras"), {page, twice}));
  std::vector<uint8_t> broken = ReadFileBytes(dir.File("one.prn"));
  broken.push_back(0x1B);
  FILE* out = std::fopen(dir.File("broken.prn").c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(broken.data(), 1, broken.size(), out);
  std::fclose(out);

  struct Case {
    const char* raster;
    const char* stream;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"one.ras", "one.prn", 0, "compare: 0 missing, 0 extra dots, 0 unmatched page(s)"},
      {"moved.ras", "one.prn", 1, "first differing rows: 7 (1 missing, 0 extra)"},
      {"two.ras", "one.prn", 1, "raster page 2 was not printed: 1 missing dots"},
      {"one.ras", "broken.prn", 2, ""},
  };
  for (const Case& c : cases) {
    int status = RunProgram({kPreview, "--compare", dir.File(c.raster), dir.File(c.stream)}, {},
                            dir.File("out"), dir.File("err"), 60);
    std::vector<uint8_t> text = ReadFileBytes(dir.File("out"));
    std::string said(text.begin(), text.end());
    EXPECT_EQ(status, c.status) << c.raster << " vs " << c.stream << ":\n" << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
  }
  std::vector<uint8_t> err = ReadFileBytes(dir.File("err"));
  EXPECT_NE(std::string(err.begin(), err.end()).find("truncated ESC"), std::string::npos);
}

}  // namespace
}  // namespace roundtrip
