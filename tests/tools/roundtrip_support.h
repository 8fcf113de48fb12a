// Round trips: test pages, the encoder run in-process or as the real filter
// program, and the preview holding the printed dots against the page.
#pragma once

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/PageCompare.h"
#include "tools/preview/RasterPages.h"
#include "raster_files.h"

namespace roundtrip {

using marvik::preview::RasterPage;
using marvik::preview::Resolution;

// The resolutions the printer's PPD offers.
extern const Resolution kPpdResolutions[5];

enum class Pattern { kBlank, kBlack, kText, kGrid, kOddRows, kBottomRight, kWhiteRuns, kTall };
extern const Pattern kPatterns[8];
const char* PatternName(Pattern pattern);
RasterPage MakePage(Pattern pattern, Resolution resolution, std::mt19937& rng);
// Random size (up to a few inches), density and content.
RasterPage RandomPage(Resolution resolution, std::mt19937& rng);

// The printer bytes of one page, framed as the filter frames it, from the
// printer library in this process.
// `pins` is the head the printer model is built for (the filter uses 24).
std::vector<uint8_t> EncodeInProcess(const RasterPage& page, int pins = 24);

struct Outcome {
  marvik::preview::RunResult run;
  std::vector<marvik::preview::PageComparison> pages;
  int32_t unmatchedPages = 0;
  bool identical() const;
  std::string Describe() const;
};

// Interprets `stream` on a 24-pin head (or the given one), rendering page i
// at the resolution of raster page i, and compares.
Outcome InterpretAndCompare(const std::vector<uint8_t>& stream, const std::vector<RasterPage>& raster,
                            marvik::preview::Head head = marvik::preview::Head::kPins24);

}  // namespace roundtrip

namespace marvik::preview {
// Readable names for parameterised test cases.
inline void PrintTo(const Resolution& r, std::ostream* os) {
  *os << r.x << "x" << r.y;
}
}  // namespace marvik::preview

namespace roundtrip {
inline void PrintTo(Pattern pattern, std::ostream* os) {
  *os << PatternName(pattern);
}
}  // namespace roundtrip
