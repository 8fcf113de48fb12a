// Reads binary PBM (P4) and PGM (P5) images as ink coverage, so that a test
// page can carry a real picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marvik::raster {

// Largest image accepted, in pixels: well above a 360 dpi wide-carriage page.
constexpr std::uint64_t kMaxImagePixels = 64ull * 1024 * 1024;

struct NetpbmImage {
  unsigned width = 0;
  unsigned height = 0;
  // One byte per pixel, row by row: 0 no ink, 255 full ink (black).
  std::vector<std::uint8_t> ink;

  std::uint8_t InkAt(unsigned x, unsigned y) const {
    return (x < width && y < height) ? ink[static_cast<std::size_t>(y) * width + x] : 0;
  }
};

// Parses the bytes of a P4 or P5 file (maxval up to 255). On failure returns
// false and says why in `error`.
bool ParseNetpbm(const std::vector<std::uint8_t>& bytes, NetpbmImage& image, std::string& error);

// Reads a whole file and parses it.
bool LoadNetpbm(const std::string& path, NetpbmImage& image, std::string& error);

}  // namespace marvik::raster
