// Writes pages of dots as PNG files: the page as 1-bit gray (white paper,
// black dots), or its differences from a raster page in colour.
#pragma once

#include <cstdint>
#include <string>

#include "tools/preview/DotCanvas.h"
#include "tools/preview/RasterPages.h"

namespace marvik::preview {

// The image is width x height pixels from the page's top left corner; dots
// outside it are cut off. The pixel density of the canvas is stored in the
// file. Each dot is drawn as a round dot of `dotDiameterMm` centred on its
// pixel, so that a page looks as dark as on paper, or as its one pixel when
// the diameter is 0 (or smaller than a pixel). Returns false with the reason
// in *error.
bool WritePng(const std::string& path, const DotCanvas& canvas, int64_t width, int64_t height,
              std::string* error, double dotDiameterMm = 0);

// A picture of a comparison, large enough for both pages: dots both have in
// black, raster dots that were not printed in red, printed dots the raster
// does not have in blue.
bool WriteDifferencePng(const std::string& path, const DotCanvas& printed, const RasterPage& raster,
                        std::string* error);

}  // namespace marvik::preview
