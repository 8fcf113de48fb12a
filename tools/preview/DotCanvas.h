// One page of dots at one render resolution, grown as dots arrive.
//
// Rows are packed one bit per pixel, leftmost pixel in the most significant
// bit, 1 for a dot: the layout of a 1-bit CUPS raster row, so that a page can
// be held against the raster byte by byte. A row is allocated only when a dot
// first lands in it, and never beyond the limits given at construction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace marvik::preview {

struct Resolution {
  int32_t x = 360;
  int32_t y = 360;
};

// Smallest and largest render resolution accepted, dots per inch per axis.
constexpr int32_t kMinRenderDpi = 10;
constexpr int32_t kMaxRenderDpi = 1440;

class DotCanvas {
 public:
  enum class SetResult { kOk, kOutside, kNoRoom };

  // maxWidth and maxHeight in pixels; maxBytes bounds the row storage.
  DotCanvas(Resolution resolution, int64_t maxWidth, int64_t maxHeight, size_t maxBytes);

  // Marks pixel (x, y). kOutside for a pixel beyond the size limits,
  // kNoRoom when the row storage would exceed its bound.
  SetResult Set(int64_t x, int64_t y);
  bool Get(int64_t x, int64_t y) const;

  Resolution resolution() const { return resolution_; }
  // Pixels that hold a dot, and dots fired (a pixel struck twice counts twice).
  int64_t dots() const { return dots_; }
  int64_t strikes() const { return strikes_; }
  bool empty() const { return dots_ == 0; }
  // Bounding box of the dots, inclusive; meaningless while empty().
  int64_t minX() const { return minX_; }
  int64_t minY() const { return minY_; }
  int64_t maxX() const { return maxX_; }
  int64_t maxY() const { return maxY_; }

  // Rows allocated so far; rows at and beyond rowCount() hold no dot.
  int64_t rowCount() const { return static_cast<int64_t>(rows_.size()); }
  // Row y's bytes; may be shorter than the page width (the rest is white),
  // empty for a row without dots.
  const std::vector<uint8_t>& Row(int64_t y) const;

 private:
  Resolution resolution_;
  int64_t maxWidth_;
  int64_t maxHeight_;
  size_t maxBytes_;
  size_t bytesUsed_ = 0;
  std::vector<std::vector<uint8_t>> rows_;
  int64_t dots_ = 0;
  int64_t strikes_ = 0;
  int64_t minX_ = 0;
  int64_t minY_ = 0;
  int64_t maxX_ = 0;
  int64_t maxY_ = 0;
};

}  // namespace marvik::preview
