// The encoder held against its pages through the preview: at every
// resolution of the PPD and every 9-pin geometry, fixed pages that reach the
// corners of the page walk and seeded random pages must print every dot where
// the page has it, nothing else, and with the page's length.
#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>

#include "tests/tools/RoundTrip.h"

namespace marvik::test {
namespace {

struct Geometry {
  int pins;
  Resolution resolution;
  bool noAdjacentDots = false;  // encoded for, and printed on, a head without adjacent dots
};

// The five resolutions of the PPD on the filter's 24-pin head; the 9-pin ones,
// where ESC $ counts 1/60 inch, not a whole number of 160 or 80 dpi columns;
// the 360 dpi bands again for a head that leaves out adjacent dots.
const Geometry kGeometries[] = {
    {24, {120, 180}}, {24, {180, 180}}, {24, {360, 180}}, {24, {180, 360}},       {24, {360, 360}},
    {9, {160, 144}},  {9, {160, 72}},   {9, {80, 72}},    {24, {360, 180}, true}, {24, {360, 360}, true}};

preview::InterpreterOptions Printer(const Geometry& g) {
  preview::InterpreterOptions options;
  options.head = g.pins == 9 ? preview::Head::kPins9 : preview::Head::kPins24;
  options.impact = g.noAdjacentDots;
  return options;
}

// Encodes the pages into one stream, interprets it and compares. The page's
// own length must be in force, to the nearest 1/360 inch, or none beyond the
// longest that FS C sets.
void ExpectRoundTrip(const std::vector<RasterPage>& pages, const Geometry& g, const std::string& label) {
  Bytes stream;
  for (const RasterPage& page : pages) {
    const Bytes frame = EncodePage(page, g.pins, g.noAdjacentDots);
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  const Outcome outcome(stream, pages, Printer(g));
  ASSERT_EQ(outcome.Differences(), "") << label;
  for (size_t i = 0; i < pages.size(); ++i) {
    const double inches = static_cast<double>(pages[i].height) / pages[i].resolution.y;
    const bool expressible = inches * 72 <= DotMatrixPrinter::kMaxPageLengthPoints;
    const preview::PageLength& length = outcome.pages[i].length;
    EXPECT_EQ(length.form != preview::PageLength::Form::kNotSet, expressible) << label << ", page " << i + 1;
    if (expressible) {
      EXPECT_NEAR(static_cast<double>(length.units) / preview::kUnitsPerInch, inches, 0.51 / 360)
          << label << ", page " << i + 1;
    }
  }
}

class RoundTrip : public testing::TestWithParam<Geometry> {};

TEST_P(RoundTrip, FixedPages) {
  const Resolution r = GetParam().resolution;
  const uint32_t inch = static_cast<uint32_t>(r.x);
  const uint32_t step = inch / std::gcd(inch, 60u);
  std::mt19937 rng(7);
  // Solid black, with the padding bits past the width set too.
  RasterPage black = WhitePage(r, 2 * inch + 5, r.y + 7);
  std::fill(black.bits.begin(), black.bits.end(), 0xFF);
  // Two-column dots around white runs either side of one inch, in rows that
  // start at several alignments to the ESC $ step.
  RasterPage runs = WhitePage(r, 8 * inch, r.y);
  for (uint32_t s = 0; s < 7; ++s) {
    uint32_t x = s < 6 ? s : inch + 2;
    for (uint32_t run : {inch - 1, inch, inch + 1, inch + 2, inch + step, inch + step + 1}) {
      Fill(runs, x, s * static_cast<uint32_t>(r.y) / 8, 2, 3, 1.0, rng);
      x += 2 + run;
    }
  }
  // Dots in odd rows only: in two-pass bands the first pass prints white.
  RasterPage odd = WhitePage(r, 2 * inch + 1, r.y);
  for (uint32_t y = 1; y < odd.height; y += 2) Fill(odd, 0, y, odd.width, 1, 0.3, rng);
  // 190 inches: a blank stretch longer than one 16-bit ESC ( v at 360 dpi,
  // and a page too long for any page-length command.
  RasterPage tall = WhitePage(r, inch + 3, 190 * r.y);
  Fill(tall, 0, 0, tall.width, r.y / 10, 0.3, rng);
  Fill(tall, 0, tall.height - 2, tall.width, 2, 0.5, rng);
  // Ink in column 0 only: a band of one column.
  RasterPage first = WhitePage(r, inch, 3 * r.y / 2);
  for (uint32_t y = 0; y < first.height; y += 11) SetDot(first, 0, y);
  ExpectRoundTrip({black, runs, odd, tall, first}, GetParam(), "fixed pages");
  if (GetParam().noAdjacentDots) {  // sent plainly, the page loses dots on such a head
    const Outcome plain(EncodePage(black), {black}, Printer(GetParam()));
    EXPECT_NE(plain.Differences(), "");
    // Sent for such a head, every band takes two passes.
    const Outcome twoPass(EncodePage(black, 24, true), {black}, Printer(GetParam()));
    EXPECT_EQ(twoPass.pages.at(0).time.passes, 2 * plain.pages.at(0).time.passes);
  }
}

// A page of random size (up to a few inches) and ink: boxes of any density,
// and half the time a white run around one inch between two dots of a row.
RasterPage RandomPage(Resolution r, std::mt19937& rng) {
  auto between = [&rng](uint32_t low, uint32_t high) {
    return std::uniform_int_distribution<uint32_t>(low, high)(rng);
  };
  const uint32_t inch = static_cast<uint32_t>(r.x), step = inch / std::gcd(inch, 60u);
  const bool skip = between(0, 1) == 1;
  RasterPage page = WhitePage(r, between(skip ? 2 * inch + 2 * step + 4 : 1, 3 * inch),
                              between(1, 2 * static_cast<uint32_t>(r.y)));
  const double densities[] = {0.02, 0.3, 0.7, 1.0};
  for (uint32_t i = between(0, 5); i > 0; --i) {
    Fill(page, between(0, page.width - 1), between(0, page.height - 1), between(1, page.width),
         between(1, page.height), densities[between(0, 3)], rng);
  }
  if (skip) {
    const uint32_t left = between(0, inch / 2), y = between(0, page.height - 1);
    SetDot(page, left, y);
    Fill(page, left + between(inch - 1, inch + step + 2), y, between(1, 3), 1, 1.0, rng);
  }
  return page;
}

// Random pages, three to a stream, reproducible from the seed printed on a
// failure; ESCP_PREVIEW_SEED replays or explores another sequence.
TEST_P(RoundTrip, RandomPages) {
  const char* seedText = std::getenv("ESCP_PREVIEW_SEED");
  const unsigned seed =
      seedText != nullptr ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 20261206u;
  std::mt19937 rng(seed + static_cast<unsigned>(GetParam().resolution.x * 1000 + GetParam().resolution.y));
  for (int i = 0; i < 20 && !HasFatalFailure(); ++i) {
    std::vector<RasterPage> pages;
    for (int p = 0; p < 3; ++p) pages.push_back(RandomPage(GetParam().resolution, rng));
    ExpectRoundTrip(pages, GetParam(), "seed " + std::to_string(seed) + ", stream " + std::to_string(i));
  }
}

INSTANTIATE_TEST_SUITE_P(Heads, RoundTrip, testing::ValuesIn(kGeometries),
                         [](const testing::TestParamInfo<Geometry>& info) {
                           const Resolution r = info.param.resolution;
                           return "Pins" + std::to_string(info.param.pins) + "_" + std::to_string(r.x) + "x" +
                                  std::to_string(r.y) + (info.param.noAdjacentDots ? "_Impact" : "");
                         });

}  // namespace
}  // namespace marvik::test
