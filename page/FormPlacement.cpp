#include "page/FormPlacement.h"

#include <algorithm>
#include <cmath>

#include "printer/MarvikESCP.h"

namespace marvik::page {

namespace {

constexpr double kPointsPerInch = 72;

// The value with its fraction when it is the whole-point one's (CUPS rounds
// or truncates it), else the whole points: a header from a producer that
// leaves the float fields 0, or a job's media that is not this page's.
double Exact(double withFraction, unsigned wholePoints) {
  const double whole = wholePoints;
  return std::isfinite(withFraction) && std::fabs(withFraction - whole) < 1 ? withFraction : whole;
}

}  // namespace

FormPlacement PlaceOnForm(const cups_page_header2_t& h, double jobFormLength) {
  FormPlacement placement;
  placement.lengthPoints = Exact(h.cupsPageSize[1], h.PageSize[1]);
  const double bottom = Exact(h.cupsImagingBBox[1], h.ImagingBoundingBox[1]);
  const double top = Exact(h.cupsImagingBBox[3], h.ImagingBoundingBox[3]);
  const double dpiY = h.HWResolution[1];
  // The raster covers the box when it has the box's rows, give or take the
  // renderer's rounding.
  const bool coversBox = bottom >= 0 && top > bottom && top <= placement.lengthPoints + 1 &&
                         std::fabs(h.cupsHeight - (top - bottom) * dpiY / kPointsPerInch) <= 1;
  if (coversBox && top < placement.lengthPoints) {
    // A header can pair a tiny box with a page of four billion points.
    const double rows = std::floor((placement.lengthPoints - top) * dpiY / kPointsPerInch + 0.5);
    placement.rowsAbove = static_cast<int32_t>(std::min(rows, static_cast<double>(MarvikESCP::kMaxRows)));
  }
  // After the rows above, which count from the header's own page: a header
  // without the float fields (PWG raster's) keeps whole points only.
  if (h.cupsPageSize[1] == 0) placement.lengthPoints = Exact(jobFormLength, h.PageSize[1]);
  return placement;
}

}  // namespace marvik::page
