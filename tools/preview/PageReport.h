// The text the preview prints for each page and each comparison.
#pragma once

#include <string>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/PageCompare.h"

namespace marvik::preview {

// "page 1: 4211 dots, bbox ..., page length ...", its commands and its time
// on paper, on three lines.
std::string DescribePage(const Page& page);

// "about 52.1 s on paper (130 head passes, 22.00 in of paper)"
std::string DescribeJobTime(const PrintTime& time);

// "  compare with raster page 1 (...): 0 missing, 0 extra dots" plus the
// first differing rows.
std::string DescribeComparison(int32_t rasterPage, const RasterPage& raster,
                               const PageComparison& comparison);

}  // namespace marvik::preview
