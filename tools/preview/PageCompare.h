// Compares a printed page with the raster page it was made from, dot by dot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/preview/DotCanvas.h"
#include "tools/preview/RasterPages.h"

namespace marvik::preview {

// How many differing rows a comparison keeps for the report.
constexpr size_t kReportedRows = 5;

struct RowDifference {
  int64_t row = 0;
  int64_t missing = 0;
  int64_t extra = 0;
};

struct PageComparison {
  int64_t missing = 0;  // raster dots the printer did not print
  int64_t extra = 0;    // printed dots the raster does not have, or outside it
  std::vector<RowDifference> firstRows;
  bool identical() const { return missing == 0 && extra == 0; }
};

// Both at the same resolution. Only the first `width` pixels of a raster row
// count; a printed dot right of them or below the last row is extra.
PageComparison ComparePage(const DotCanvas& printed, const RasterPage& raster);

// Dots of a raster page, for a page the printer never printed.
int64_t CountDots(const RasterPage& raster);

}  // namespace marvik::preview
