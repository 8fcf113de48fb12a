// Round trips: a page goes through the encoder, the preview interprets the
// printer bytes, and every dot must land where the page had it. The preview
// knows the printer commands, not the encoder, so it is the encoder's oracle.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/printer/HexBytes.h"
#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/PageCompare.h"
#include "tools/preview/RasterPages.h"

namespace marvik::test {

using preview::RasterPage;
using preview::Resolution;

RasterPage WhitePage(Resolution resolution, uint32_t width, uint32_t height);
void SetDot(RasterPage& page, uint32_t x, uint32_t y);
// Dots in the rectangle, each with probability `density`.
void Fill(RasterPage& page, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h, double density,
          std::mt19937& rng);

// A page of random size (up to a few inches) and ink: boxes of any density,
// single dots, dot pairs around the one-inch skip threshold, dots in the last
// rows, and now and then ink in the padding bits past the width.
RasterPage RandomPage(Resolution resolution, std::mt19937& rng);

// The page as the printer receives it from the printer library, with the
// page length the filter would set.
Bytes EncodePage(const RasterPage& page, int pins = 24, bool noAdjacentDots = false);

struct Outcome {
  preview::RunResult run;
  std::vector<preview::Page> pages;  // their canvases are gone; see `compared`
  std::vector<preview::PageComparison> compared;
  size_t rasterPages = 0;
  // What differs, empty when every page printed exactly its raster page.
  std::string Differences() const;
};

// Interprets `stream`, rendering page i at the resolution of raster page i,
// and compares each with its raster page.
Outcome InterpretAndCompare(const Bytes& stream, const std::vector<RasterPage>& raster,
                            const preview::InterpreterOptions& options = {});

}  // namespace marvik::test
