// Round trips: a page goes through the encoder (in this process, or as the
// real filter program), the preview interprets the printer bytes, and every
// dot must land where the page had it: no missing and no extra dots.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>

#include "roundtrip_support.h"

namespace roundtrip {
namespace {

std::string ResolutionName(Resolution r) {
  return std::to_string(r.x) + "x" + std::to_string(r.y);
}

using PatternCase = std::tuple<Resolution, Pattern>;

std::string PatternCaseName(const testing::TestParamInfo<PatternCase>& info) {
  return "R" + ResolutionName(std::get<0>(info.param)) + "_" + PatternName(std::get<1>(info.param));
}

class InProcessRoundTrip : public testing::TestWithParam<PatternCase> {};

TEST_P(InProcessRoundTrip, EveryDotLandsWhereThePageHadIt) {
  std::mt19937 rng(7);
  RasterPage page = MakePage(std::get<1>(GetParam()), std::get<0>(GetParam()), rng);
  Outcome outcome = InterpretAndCompare(EncodeInProcess(page), {page});
  EXPECT_TRUE(outcome.identical()) << outcome.Describe();
  EXPECT_EQ(outcome.pages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(PpdResolutions, InProcessRoundTrip,
                         testing::Combine(testing::ValuesIn(kPpdResolutions), testing::ValuesIn(kPatterns)),
                         PatternCaseName);

// The 9-pin head: ESC $ counts 1/60 inch, which is no whole number of
// columns at 160 or 80 dpi, so skipped white runs must end on a column that
// is (8 or 4 columns = 3 units).
const Resolution kNinePinResolutions[] = {{160, 144}, {160, 72}, {80, 72}};
const Pattern kNinePinPatterns[] = {Pattern::kBlack, Pattern::kText, Pattern::kGrid, Pattern::kWhiteRuns,
                                    Pattern::kBottomRight};

class NinePinRoundTrip : public testing::TestWithParam<PatternCase> {};

TEST_P(NinePinRoundTrip, EveryDotLandsWhereThePageHadIt) {
  std::mt19937 rng(9);
  RasterPage page = MakePage(std::get<1>(GetParam()), std::get<0>(GetParam()), rng);
  Outcome outcome = InterpretAndCompare(EncodeInProcess(page, 9), {page}, marvik::preview::Head::kPins9);
  EXPECT_TRUE(outcome.identical()) << outcome.Describe();
  EXPECT_EQ(outcome.pages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(NinePinResolutions, NinePinRoundTrip,
                         testing::Combine(testing::ValuesIn(kNinePinResolutions),
                                          testing::ValuesIn(kNinePinPatterns)),
                         PatternCaseName);

// Random pages, reproducible from the seed printed on failure; set
// ESCP_PREVIEW_SEED to replay or explore another sequence.
TEST(RoundTripProperty, RandomPagesRoundTripExactly) {
  const char* seedText = std::getenv("ESCP_PREVIEW_SEED");
  const unsigned seed =
      seedText != nullptr ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 20261206u;
  constexpr int kPages = 300;
  std::mt19937 rng(seed);
  int failures = 0;
  for (int i = 0; i < kPages && failures < 5; ++i) {
    Resolution r = kPpdResolutions[std::uniform_int_distribution<int>(0, 4)(rng)];
    RasterPage page = RandomPage(r, rng);
    Outcome outcome = InterpretAndCompare(EncodeInProcess(page), {page});
    if (!outcome.identical()) {
      ++failures;
      ADD_FAILURE() << "seed " << seed << ", page " << i << " (" << page.width << "x" << page.height << " at "
                    << ResolutionName(r) << "): " << outcome.Describe();
    }
  }
}

}  // namespace
}  // namespace roundtrip
