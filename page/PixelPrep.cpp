#include "page/PixelPrep.h"

namespace marvik::page {

void InvertDots(unsigned char* pixels, std::uint32_t bytesPerLine, std::uint32_t width,
                std::uint32_t height) {
  const std::uint32_t usedBytes = (width + 7) / 8;  // width <= 8 x bytesPerLine was checked
  const unsigned spareBits = usedBytes * 8 - width;
  const unsigned char lastMask = static_cast<unsigned char>(0xFF << spareBits);
  for (std::uint32_t y = 0; y < height; ++y) {
    unsigned char* row = pixels + static_cast<std::uint64_t>(y) * bytesPerLine;
    for (std::uint32_t i = 0; i < usedBytes; ++i) row[i] = static_cast<unsigned char>(~row[i]);
    row[usedBytes - 1] &= lastMask;
    for (std::uint32_t i = usedBytes; i < bytesPerLine; ++i) row[i] = 0;
  }
}

void FlipGray(unsigned char* pixels, std::uint64_t size) {
  for (std::uint64_t i = 0; i < size; ++i) pixels[i] = static_cast<unsigned char>(255 - pixels[i]);
}

void RgbToGray(unsigned char* pixels, std::uint32_t bytesPerLine, std::uint32_t width, std::uint32_t height) {
  for (std::uint32_t y = 0; y < height; ++y) {
    unsigned char* row = pixels + static_cast<std::uint64_t>(y) * bytesPerLine;
    // Gray pixel x lands at or before the first byte of RGB pixel x, which
    // is read first: the row is never read where it was already written.
    for (std::uint32_t x = 0; x < width; ++x) {
      const unsigned char* rgb = row + 3 * static_cast<std::uint64_t>(x);
      row[x] = Luma(rgb[0], rgb[1], rgb[2]);
    }
  }
}

}  // namespace marvik::page
