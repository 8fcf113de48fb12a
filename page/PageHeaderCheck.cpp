#include "page/PageHeaderCheck.h"

#include <cstdio>
#include <utility>

#include "page/Resolutions.h"
#include "printer/MarvikESCP.h"

namespace marvik::page {

namespace {

std::string Field(const char* name, unsigned value, const char* why) {
  char text[160];
  std::snprintf(text, sizeof text, "%s = %u %s", name, value, why);
  return text;
}

HeaderVerdict Refuse(std::string problem) {
  HeaderVerdict verdict;
  verdict.problem = std::move(problem);
  return verdict;
}

}  // namespace

HeaderVerdict CheckPageHeader(const cups_page_header2_t& h) {
  const unsigned bits = h.cupsBitsPerColor;
  const unsigned space = RawField(h.cupsColorSpace);
  const bool additive = space == CUPS_CSPACE_W || space == CUPS_CSPACE_SW;
  // Colour pages (what driverless clients send for a colour document) print
  // as their gray.
  const bool rgb = space == CUPS_CSPACE_RGB || space == CUPS_CSPACE_SRGB;
  if (bits != 1 && bits != 8) return Refuse(Field("cupsBitsPerColor", bits, "is not supported (1 or 8)"));
  if (rgb ? bits != 8 : !additive && space != CUPS_CSPACE_K) {
    return Refuse(
        Field("cupsColorSpace", space, "is not supported (0 W, 3 K or 18 SW; 1 RGB or 19 sRGB at 8 bits)"));
  }
  const unsigned pixelBits = rgb ? 3 * bits : bits;
  if (h.cupsBitsPerPixel != pixelBits) {
    return Refuse(
        Field("cupsBitsPerPixel", h.cupsBitsPerPixel,
              rgb ? "does not match three colours of cupsBitsPerColor" : "does not match cupsBitsPerColor"));
  }
  // Only interleaved colours are read as pixels.
  if (rgb && RawField(h.cupsColorOrder) != CUPS_ORDER_CHUNKED) {
    return Refuse(
        Field("cupsColorOrder", RawField(h.cupsColorOrder), "is not supported for colour (0 chunked)"));
  }
  if (h.cupsWidth == 0) return Refuse(Field("cupsWidth", 0, "is empty"));
  if (h.cupsHeight == 0) return Refuse(Field("cupsHeight", 0, "is empty"));
  if (h.cupsBytesPerLine == 0) return Refuse(Field("cupsBytesPerLine", 0, "is empty"));
  const std::uint64_t pixelsPerLine = static_cast<std::uint64_t>(h.cupsBytesPerLine) * 8 / pixelBits;
  if (h.cupsWidth > pixelsPerLine) {
    char why[96];
    std::snprintf(why, sizeof why, "exceeds the %llu pixels of cupsBytesPerLine = %u",
                  static_cast<unsigned long long>(pixelsPerLine), h.cupsBytesPerLine);
    return Refuse(Field("cupsWidth", h.cupsWidth, why));
  }
  if (h.cupsWidth > MarvikESCP::kMaxColumns) {
    return Refuse(Field("cupsWidth", h.cupsWidth, "exceeds the columns one bit image can carry (65535)"));
  }
  if (h.cupsBytesPerLine > MarvikESCP::kMaxBytesPerLine) {
    return Refuse(Field("cupsBytesPerLine", h.cupsBytesPerLine, "exceeds the encoder's line limit (1 MiB)"));
  }
  if (h.cupsHeight > MarvikESCP::kMaxRows) {
    return Refuse(Field("cupsHeight", h.cupsHeight, "exceeds the encoder's row limit (16777216)"));
  }
  const std::uint64_t bytes = static_cast<std::uint64_t>(h.cupsBytesPerLine) * h.cupsHeight;
  if (bytes > MarvikESCP::kMaxBitmapBytes) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "cupsBytesPerLine x cupsHeight = %u x %u = %llu exceeds the %llu-byte page limit",
                  h.cupsBytesPerLine, h.cupsHeight, static_cast<unsigned long long>(bytes),
                  static_cast<unsigned long long>(MarvikESCP::kMaxBitmapBytes));
    return Refuse(text);
  }
  if (!IsSupportedResolution(h.HWResolution[0], h.HWResolution[1])) {
    char text[64];
    std::snprintf(text, sizeof text, "HWResolution = [ %u %u ] is not supported", h.HWResolution[0],
                  h.HWResolution[1]);
    return Refuse(std::string(text) + " (" + ResolutionList() + ")");
  }
  HeaderVerdict verdict;
  verdict.ok = true;
  verdict.pageBytes = static_cast<std::uint32_t>(bytes);
  if (rgb) {
    verdict.format = PixelFormat::kRgb;
  } else if (bits == 1) {
    verdict.format = additive ? PixelFormat::kInvertedDots : PixelFormat::kDots;
  } else {
    verdict.format = additive ? PixelFormat::kGrayWhiteHigh : PixelFormat::kGrayBlackHigh;
  }
  return verdict;
}

}  // namespace marvik::page
