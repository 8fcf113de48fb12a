#include "printer-app/ImagePage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace marvik::app {

namespace {

constexpr long long kHmmPerInch = 2540;
constexpr long long kPointsPerInch = 72;
// A scaled image is never taken larger than this many dots a side: only
// the part on the page is drawn, and the sums below stay within 64 bits.
constexpr double kMaxScaledDots = 1 << 30;

// Hundredths of a millimetre to units of which `perInch` make an inch,
// rounded down and never negative.
long long Scale(int hmm, long long perInch) {
  return std::max(0LL, hmm * perInch / kHmmPerInch);
}

double Ppi(double stated) {
  return stated >= kMinImagePpi && stated <= kMaxImagePpi ? stated : kDefaultImagePpi;
}

long long Dots(double size) {
  return static_cast<long long>(std::clamp(std::round(size), 1.0, kMaxScaledDots));
}

}  // namespace

cups_page_header2_t ImagePageHeader(const MediaGeometry& media) {
  cups_page_header2_t h{};
  h.HWResolution[0] = media.xDpi;
  h.HWResolution[1] = media.yDpi;
  h.PageSize[0] = static_cast<unsigned>(std::min<long long>(Scale(media.width, kPointsPerInch), UINT32_MAX));
  h.PageSize[1] = static_cast<unsigned>(std::min<long long>(Scale(media.length, kPointsPerInch), UINT32_MAX));
  // The header check refuses what does not fit 32 bits, or the encoder.
  h.cupsWidth = static_cast<unsigned>(std::min<long long>(Scale(media.width, media.xDpi), UINT32_MAX));
  h.cupsHeight = static_cast<unsigned>(std::min<long long>(Scale(media.length, media.yDpi), UINT32_MAX));
  h.cupsBytesPerLine = h.cupsWidth;
  h.cupsBitsPerColor = h.cupsBitsPerPixel = 8;
  h.cupsNumColors = 1;
  h.cupsColorSpace = CUPS_CSPACE_SW;
  h.cupsColorOrder = CUPS_ORDER_CHUNKED;
  h.NumCopies = 1;
  std::snprintf(h.cupsPageSizeName, sizeof h.cupsPageSizeName, "image");
  return h;
}

Placement PlaceImage(const GrayImage& image, Scaling scaling, const MediaGeometry& media,
                     const cups_page_header2_t& header, unsigned char* page) {
  Placement at;
  // The printable area, [left, right) x [top, bottom).
  const long long left = Scale(media.left, media.xDpi), top = Scale(media.top, media.yDpi);
  const long long right = static_cast<long long>(header.cupsWidth) - Scale(media.right, media.xDpi);
  const long long bottom = static_cast<long long>(header.cupsHeight) - Scale(media.bottom, media.yDpi);
  if (right <= left || bottom <= top || image.width == 0 || image.height == 0) return at;
  const double areaWidth = static_cast<double>(right - left), areaHeight = static_cast<double>(bottom - top);
  // The image at its own size, in dots.
  const double width = image.width * media.xDpi / Ppi(image.xPpi);
  const double height = image.height * media.yDpi / Ppi(image.yPpi);
  const double fit = std::min(areaWidth / width, areaHeight / height);
  double factor = 1;
  if (scaling == Scaling::kFit || ((scaling == Scaling::kAuto || scaling == Scaling::kAutoFit) && fit < 1)) {
    factor = fit;
  } else if (scaling == Scaling::kFill) {
    factor = std::max(areaWidth / width, areaHeight / height);
  }
  at.ok = true;
  at.width = Dots(width * factor);
  at.height = Dots(height * factor);
  at.x = left + (right - left - at.width) / 2;
  at.y = top + (bottom - top - at.height) / 2;

  // Each dot is the mean of the image pixels it covers (at least one).
  const long long x0 = std::max(left, at.x), x1 = std::min(right, at.x + at.width);
  const long long y0 = std::max(top, at.y), y1 = std::min(bottom, at.y + at.height);
  const unsigned char* pixels = image.pixels.get();
  for (long long y = y0; y < y1; ++y) {
    const long long v = y - at.y;
    const long long sy0 = v * image.height / at.height;
    const long long sy1 = std::max(sy0 + 1, (v + 1) * image.height / at.height);
    unsigned char* row = page + y * header.cupsBytesPerLine;
    for (long long x = x0; x < x1; ++x) {
      const long long u = x - at.x;
      const long long sx0 = u * image.width / at.width;
      const long long sx1 = std::max(sx0 + 1, (u + 1) * image.width / at.width);
      std::uint64_t sum = 0;
      for (long long sy = sy0; sy < sy1; ++sy) {
        const unsigned char* source = pixels + sy * image.width;
        for (long long sx = sx0; sx < sx1; ++sx) sum += source[sx];
      }
      const std::uint64_t count = static_cast<std::uint64_t>((sy1 - sy0) * (sx1 - sx0));
      row[x] = static_cast<unsigned char>((sum + count / 2) / count);
    }
  }
  return at;
}

}  // namespace marvik::app
