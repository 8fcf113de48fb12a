// Writes a page of dots as a 1-bit grayscale PNG: white paper, black dots.
#pragma once

#include <cstdint>
#include <string>

#include "preview/dot_canvas.h"

namespace escpreview {

// The image is width x height pixels from the page's top left corner; dots
// outside it are cut off. The pixel density of the canvas is stored in the
// file. Returns false with the reason in *error.
bool WritePng(const std::string& path, const DotCanvas& canvas, int64_t width, int64_t height,
              std::string* error);

}  // namespace escpreview
