// The text the preview prints for each page and each comparison.
#pragma once

#include <string>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/PageCompare.h"

namespace marvik::preview {

// "page 1: 4211 dots, bbox ..., page length ..., commands: ..." on two lines.
std::string DescribePage(const Page& page);

// "  compare with raster page 1 (...): 0 missing, 0 extra dots" plus the
// first differing rows.
std::string DescribeComparison(int32_t rasterPage, const RasterPage& raster,
                               const PageComparison& comparison);

}  // namespace marvik::preview
