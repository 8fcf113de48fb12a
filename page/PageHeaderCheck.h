// Decides whether a raster page header is one the encoder can print, and how
// its pixels must be prepared. The raster library accepts headers that would
// make the page buffer wrap, be read past its end, or print as noise; they
// are refused here, before anything is allocated.
#pragma once

#include <cups/raster.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace marvik::page {

// How a page's pixels reach the encoder.
enum class PixelFormat {
  kDots,           // 1 bit per pixel, 1 is a dot (black, K)
  kInvertedDots,   // 1 bit per pixel, 1 is white (W, SW): inverted first
  kGrayWhiteHigh,  // 8 bits per pixel, 0 black .. 255 white (W, SW): halftoned
  kGrayBlackHigh,  // 8 bits per pixel, 0 white .. 255 black (K): flipped, halftoned
  kRgb,            // 24 bits per pixel, 8 each of red, green, blue (RGB, sRGB): to gray, halftoned
};

struct HeaderVerdict {
  bool ok = false;
  PixelFormat format = PixelFormat::kDots;
  std::uint32_t pageBytes = 0;  // cupsBytesPerLine x cupsHeight when ok
  std::string problem;          // names the field and its value when not ok
};

HeaderVerdict CheckPageHeader(const cups_page_header2_t& header);

// The 32 bits of a header field of enum type as the stream delivered them.
// The raster library copies headers byte for byte, so such a field can hold
// any value, and reading one outside its enum as the enum is undefined.
template <typename Enum>
unsigned RawField(const Enum& field) {
  static_assert(std::is_enum<Enum>::value && sizeof(Enum) == sizeof(std::uint32_t), "a 32-bit enum field");
  std::uint32_t value;
  std::memcpy(&value, &field, sizeof value);
  return value;
}

}  // namespace marvik::page
