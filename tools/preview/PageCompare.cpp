#include "tools/preview/PageCompare.h"

#include <algorithm>

namespace marvik::preview {

namespace {

int Bits(uint32_t byte) {
  return __builtin_popcount(byte);
}

uint8_t LastByteMask(uint32_t width) {
  return static_cast<uint8_t>(0xFF00u >> (((width - 1) % 8) + 1));
}

}  // namespace

PageComparison ComparePage(const DotCanvas& printed, const RasterPage& raster) {
  PageComparison result;
  size_t rasterBytes = (static_cast<size_t>(raster.width) + 7) / 8;
  uint8_t lastMask = LastByteMask(raster.width);
  int64_t rows = std::max<int64_t>(raster.height, printed.rowCount());
  for (int64_t y = 0; y < rows; ++y) {
    const std::vector<uint8_t>& dots = printed.Row(y);
    const uint8_t* source =
        y < raster.height ? raster.bits.data() + static_cast<size_t>(y) * raster.bytesPerLine : nullptr;
    RowDifference row{y, 0, 0};
    size_t span = std::max(rasterBytes, dots.size());
    for (size_t i = 0; i < span; ++i) {
      uint8_t want = 0;
      if (source != nullptr && i < rasterBytes)
        want = i + 1 == rasterBytes ? source[i] & lastMask : source[i];
      uint8_t got = i < dots.size() ? dots[i] : 0;
      row.missing += Bits(want & ~got & 0xFFu);
      row.extra += Bits(got & ~want & 0xFFu);
    }
    if (row.missing == 0 && row.extra == 0) continue;
    result.missing += row.missing;
    result.extra += row.extra;
    if (result.firstRows.size() < kReportedRows) result.firstRows.push_back(row);
  }
  return result;
}

int64_t CountDots(const RasterPage& raster) {
  int64_t dots = 0;
  size_t rasterBytes = (static_cast<size_t>(raster.width) + 7) / 8;
  uint8_t lastMask = LastByteMask(raster.width);
  for (uint32_t y = 0; y < raster.height; ++y) {
    const uint8_t* source = raster.bits.data() + static_cast<size_t>(y) * raster.bytesPerLine;
    for (size_t i = 0; i < rasterBytes; ++i)
      dots += Bits(i + 1 == rasterBytes ? source[i] & lastMask : source[i]);
  }
  return dots;
}

}  // namespace marvik::preview
