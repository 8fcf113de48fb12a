// The pages the fault tests print and the exact bytes each must become.
#pragma once

#include "FaultRun.h"
#include "FilterTestSupport.h"

namespace faults {

// A 180 x 180 dpi page of the given size in points, filled with `pattern`.
inline marvik::raster::PageSpec PatternPage(unsigned widthPoints, unsigned heightPoints, marvik::raster::Pattern pattern,
                                      const char* sizeName = "Letter") {
  marvik::raster::PageSpec page;
  page.widthPoints = widthPoints;
  page.heightPoints = heightPoints;
  page.pageSizeName = sizeName;
  page.pattern = pattern;
  return page;
}

// 1 x 1 inch at 180 x 180 dpi, stripes: small enough to feed byte by byte.
inline marvik::raster::PageSpec InchPage() {
  return PatternPage(72, 72, marvik::raster::Pattern::kStripes, "Inch");
}

// A 72-point page is no listed paper length: ESC @, FS C 360 (0x0168 in
// 1/360 inch), CR before the graphics; FF, ESC @ after them.
inline const Bytes& InchPageStart() {
  static const Bytes start = filtertest::Hex("1B 40 1C 43 68 01 0D");
  return start;
}

inline const Bytes& FrameEnd() {
  static const Bytes end = filtertest::Hex("0C 1B 40");
  return end;
}

// The whole frame the filter must write for `page`, given its start bytes.
inline Bytes FrameOf(const marvik::raster::PageSpec& page, const Bytes& start) {
  return filtertest::Concat({start, filtertest::ExpectedBody(page), FrameEnd()});
}

inline Bytes Repeat(const Bytes& frame, int count) {
  Bytes all;
  for (int i = 0; i < count; ++i) all.insert(all.end(), frame.begin(), frame.end());
  return all;
}

}  // namespace faults
