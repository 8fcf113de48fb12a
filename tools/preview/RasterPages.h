// Reads the pages of a CUPS raster file, one at a time, as 1-bit dot
// bitmaps: 1 for a dot, leftmost pixel in the most significant bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/preview/DotCanvas.h"

typedef struct _cups_raster_s cups_raster_t;

namespace marvik::preview {

// A page larger than this many bytes of raster is refused before any byte
// of it is allocated.
constexpr uint64_t kMaxRasterPageBytes = uint64_t{256} << 20;

struct RasterPage {
  Resolution resolution;
  uint32_t width = 0;   // pixels per row that print
  uint32_t height = 0;  // rows
  uint32_t bytesPerLine = 0;
  std::vector<uint8_t> bits;  // height rows of bytesPerLine bytes

  bool Dot(uint32_t x, uint32_t y) const {
    return (bits[static_cast<size_t>(y) * bytesPerLine + x / 8] & (0x80u >> (x % 8))) != 0;
  }
};

class RasterPages {
 public:
  enum class Read { kPage, kEnd, kError };

  RasterPages() = default;
  ~RasterPages();
  RasterPages(const RasterPages&) = delete;
  RasterPages& operator=(const RasterPages&) = delete;

  bool Open(const std::string& path, std::string* error);
  // The next page; kEnd after the last one. A page that is not 1-bit black
  // (or white, which is inverted), whose sizes do not fit together or exceed
  // kMaxRasterPageBytes, or that ends early, is kError with the reason.
  Read Next(RasterPage* page, std::string* error);

 private:
  int fd_ = -1;
  cups_raster_t* raster_ = nullptr;
};

}  // namespace marvik::preview
