// The one page of an image document: the job's media at the job's
// resolution in 8-bit gray, the image placed in the printable area as IPP's
// print-scaling says, centred, and cropped to that area.
#pragma once

#include <cups/raster.h>

#include "printer-app/ImageDecoder.h"

namespace marvik::app {

// IPP print-scaling: `auto` and `auto-fit` shrink an image larger than the
// printable area to fit it and print a smaller one at its own size (the
// media has margins, so `auto` never fills); `fit` scales it to touch the
// area's edges, `fill` to cover the area (cropped), `none` keeps its size.
enum class Scaling { kAuto, kAutoFit, kFill, kFit, kNone };

// The job's media and resolution; lengths in hundredths of a millimetre.
struct MediaGeometry {
  unsigned xDpi = 0;
  unsigned yDpi = 0;
  int width = 0;
  int length = 0;
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
};

// The size of an image whose file states no resolution: a point a pixel.
constexpr double kDefaultImagePpi = 72;
// Stated resolutions outside these are taken for no resolution.
constexpr double kMinImagePpi = 10;
constexpr double kMaxImagePpi = 10000;

// The page's header: one byte a dot, 0 black, the whole sheet.
cups_page_header2_t ImagePageHeader(const MediaGeometry& media);

// Where the scaled image lies on the page, in dots (it may reach past the
// printable area, which crops it).
struct Placement {
  bool ok = false;  // false when the margins leave no printable area
  long long x = 0;
  long long y = 0;
  long long width = 0;
  long long height = 0;
};

// Draws `image` into `page`, a white page of `header` (from ImagePageHeader
// for `media`).
Placement PlaceImage(const GrayImage& image, Scaling scaling, const MediaGeometry& media,
                     const cups_page_header2_t& header, unsigned char* page);

}  // namespace marvik::app
