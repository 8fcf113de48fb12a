// Where a raster page lies on its form: the form's exact length, and how far
// below the top of form the raster's first row is. CUPS's raster filters
// render only the imageable area of the PPD's page, so their first row lies
// at the top margin, not at the top of form; a raster of the whole page (the
// printer application's, most others') starts at the top of form.
#pragma once

#include <cups/raster.h>

#include <cstdint>

namespace marvik::page {

struct FormPlacement {
  // The page length in points with its fraction (a custom 100 mm form is
  // 283.46 points): cupsPageSize[1] when it agrees with the whole-point
  // PageSize[1] to within a point; in a header that leaves it 0 (PWG
  // raster), the job's form length when that agrees; else PageSize[1].
  double lengthPoints = 0;
  // Rows at HWResolution[1] above the raster's first row: the distance from
  // the top of the page to the top of the imaging box, when the raster is as
  // tall as that box (cupsImagingBBox, or ImagingBoundingBox when the float
  // box disagrees with it); else 0.
  int32_t rowsAbove = 0;
};

// `header` is one that CheckPageHeader accepted; `jobFormLength` is
// PrintOptions::formLength.
FormPlacement PlaceOnForm(const cups_page_header2_t& header, double jobFormLength = 0);

}  // namespace marvik::page
