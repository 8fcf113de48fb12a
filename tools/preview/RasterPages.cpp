#include "tools/preview/RasterPages.h"

#include <cups/raster.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace marvik::preview {

namespace {

std::string CheckHeader(const cups_page_header2_t& header) {
  if (header.cupsBitsPerPixel != 1 || header.cupsBitsPerColor != 1) {
    return "raster page has " + std::to_string(header.cupsBitsPerPixel) +
           " bits per pixel; only 1-bit pages can be compared dot by dot";
  }
  if (header.cupsColorSpace != CUPS_CSPACE_K && header.cupsColorSpace != CUPS_CSPACE_W &&
      header.cupsColorSpace != CUPS_CSPACE_SW) {
    return "raster colour space " + std::to_string(header.cupsColorSpace) + " is neither black nor white";
  }
  if (header.cupsWidth == 0 || header.cupsHeight == 0) return "raster page has no pixels";
  if (header.cupsBytesPerLine < (uint64_t{header.cupsWidth} + 7) / 8) {
    return "raster cupsBytesPerLine " + std::to_string(header.cupsBytesPerLine) +
           " is too short for cupsWidth " + std::to_string(header.cupsWidth);
  }
  if (uint64_t{header.cupsBytesPerLine} * header.cupsHeight > kMaxRasterPageBytes) {
    return "raster page of " + std::to_string(uint64_t{header.cupsBytesPerLine} * header.cupsHeight) +
           " bytes exceeds the limit of " + std::to_string(kMaxRasterPageBytes) + " bytes";
  }
  for (unsigned dpi : header.HWResolution) {
    if (dpi < static_cast<unsigned>(kMinRenderDpi) || dpi > static_cast<unsigned>(kMaxRenderDpi)) {
      return "raster resolution " + std::to_string(header.HWResolution[0]) + "x" +
             std::to_string(header.HWResolution[1]) + " dpi out of range";
    }
  }
  return "";
}

}  // namespace

RasterPages::~RasterPages() {
  if (raster_ != nullptr) cupsRasterClose(raster_);
  if (fd_ >= 0) close(fd_);
}

bool RasterPages::Open(const std::string& path, std::string* error) {
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  raster_ = cupsRasterOpen(fd_, CUPS_RASTER_READ);
  if (raster_ == nullptr) {
    *error = path + ": not a CUPS raster stream";
    return false;
  }
  return true;
}

RasterPages::Read RasterPages::Next(RasterPage* page, std::string* error) {
  if (raster_ == nullptr) return Read::kEnd;
  cups_page_header2_t header;
  std::memset(&header, 0, sizeof header);
  if (!cupsRasterReadHeader2(raster_, &header)) return Read::kEnd;
  std::string problem = CheckHeader(header);
  if (!problem.empty()) {
    *error = problem;
    return Read::kError;
  }
  page->resolution =
      Resolution{static_cast<int32_t>(header.HWResolution[0]), static_cast<int32_t>(header.HWResolution[1])};
  page->width = header.cupsWidth;
  page->height = header.cupsHeight;
  page->bytesPerLine = header.cupsBytesPerLine;
  size_t size = static_cast<size_t>(header.cupsBytesPerLine) * header.cupsHeight;
  page->bits.assign(size, 0);
  if (cupsRasterReadPixels(raster_, page->bits.data(), static_cast<unsigned>(size)) != size) {
    *error = "raster page ends inside its bitmap";
    return Read::kError;
  }
  // In the white colour spaces a set bit is paper, not ink.
  if (header.cupsColorSpace != CUPS_CSPACE_K) {
    for (uint8_t& byte : page->bits) byte = static_cast<uint8_t>(~byte);
  }
  return Read::kPage;
}

}  // namespace marvik::preview
