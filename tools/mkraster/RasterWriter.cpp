#include "tools/mkraster/RasterWriter.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

namespace marvik::raster {
namespace {

// Ink (0 none .. 255 full) of the pattern at a pixel.
std::uint8_t PatternInk(Pattern pattern, unsigned x, unsigned y, unsigned width) {
  switch (pattern) {
    case Pattern::kBlank:
      return 0;
    case Pattern::kBlack:
      return 255;
    case Pattern::kStripes:
      // Full-width bars with white gaps taller than a head band, plus a
      // diagonal, so pages have feeds, bands and skipped white runs.
      return (y % 96 < 8 || (x + y) % 256 < 3) ? 255 : 0;
    case Pattern::kChecker:
      return ((x / 16 + y / 16) % 2) ? 255 : 0;
    case Pattern::kGradient:
      return width > 1 ? static_cast<std::uint8_t>(static_cast<std::uint64_t>(x) * 255 / (width - 1)) : 0;
  }
  return 0;
}

// How a colour space stores ink: additive spaces (white is the high value)
// store its complement.
bool Additive(unsigned colorSpace) {
  return colorSpace == CUPS_CSPACE_W || colorSpace == CUPS_CSPACE_SW || colorSpace == CUPS_CSPACE_RGB ||
         colorSpace == CUPS_CSPACE_SRGB || colorSpace == CUPS_CSPACE_ADOBERGB;
}

// Every numeric header field is 32 bits wide (enums included), so one table
// of offsets covers them all.
unsigned* NumberField(cups_page_header2_t& h, const std::string& field) {
  static const struct {
    const char* name;
    std::size_t offset;
  } kFields[] = {
      {"NumCopies", offsetof(cups_page_header2_t, NumCopies)},
      {"Duplex", offsetof(cups_page_header2_t, Duplex)},
      {"ManualFeed", offsetof(cups_page_header2_t, ManualFeed)},
      {"MediaPosition", offsetof(cups_page_header2_t, MediaPosition)},
      {"Orientation", offsetof(cups_page_header2_t, Orientation)},
      {"cupsMediaType", offsetof(cups_page_header2_t, cupsMediaType)},
      {"cupsCompression", offsetof(cups_page_header2_t, cupsCompression)},
      {"cupsWidth", offsetof(cups_page_header2_t, cupsWidth)},
      {"cupsHeight", offsetof(cups_page_header2_t, cupsHeight)},
      {"cupsBytesPerLine", offsetof(cups_page_header2_t, cupsBytesPerLine)},
      {"cupsBitsPerColor", offsetof(cups_page_header2_t, cupsBitsPerColor)},
      {"cupsBitsPerPixel", offsetof(cups_page_header2_t, cupsBitsPerPixel)},
      {"cupsColorOrder", offsetof(cups_page_header2_t, cupsColorOrder)},
      {"cupsColorSpace", offsetof(cups_page_header2_t, cupsColorSpace)},
      {"HWResolution[0]", offsetof(cups_page_header2_t, HWResolution)},
      {"HWResolution[1]", offsetof(cups_page_header2_t, HWResolution) + 4},
      {"PageSize[0]", offsetof(cups_page_header2_t, PageSize)},
      {"PageSize[1]", offsetof(cups_page_header2_t, PageSize) + 4},
      {"Margins[0]", offsetof(cups_page_header2_t, Margins)},
      {"Margins[1]", offsetof(cups_page_header2_t, Margins) + 4},
      {"ImagingBoundingBox[0]", offsetof(cups_page_header2_t, ImagingBoundingBox)},
      {"ImagingBoundingBox[1]", offsetof(cups_page_header2_t, ImagingBoundingBox) + 4},
      {"ImagingBoundingBox[2]", offsetof(cups_page_header2_t, ImagingBoundingBox) + 8},
      {"ImagingBoundingBox[3]", offsetof(cups_page_header2_t, ImagingBoundingBox) + 12},
      {"cupsInteger[0]", offsetof(cups_page_header2_t, cupsInteger)},
  };
  for (const auto& f : kFields) {
    if (field == f.name) return reinterpret_cast<unsigned*>(reinterpret_cast<char*>(&h) + f.offset);
  }
  return nullptr;
}

ssize_t AppendToVector(void* ctx, unsigned char* buffer, size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(ctx);
  out->insert(out->end(), buffer, buffer + length);
  return static_cast<ssize_t>(length);
}

void AppendRaw(std::vector<std::uint8_t>& out, const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  out.insert(out.end(), p, p + size);
}

struct RasterCloser {
  void operator()(cups_raster_t* r) const { cupsRasterClose(r); }
};

}  // namespace

cups_page_header2_t LayoutHeader(const PageSpec& page) {
  cups_page_header2_t h;
  std::memset(&h, 0, sizeof h);
  std::snprintf(h.MediaClass, sizeof h.MediaClass, "PwgRaster");
  h.HWResolution[0] = page.xdpi;
  h.HWResolution[1] = page.ydpi;
  h.PageSize[0] = page.widthPoints;
  h.PageSize[1] = page.heightPoints;
  h.ImagingBoundingBox[2] = page.widthPoints;
  h.ImagingBoundingBox[3] = page.heightPoints;
  h.NumCopies = page.numCopies;
  h.cupsWidth = static_cast<unsigned>(static_cast<std::uint64_t>(page.widthPoints) * page.xdpi / 72);
  h.cupsHeight = static_cast<unsigned>(static_cast<std::uint64_t>(page.heightPoints) * page.ydpi / 72);
  h.cupsBitsPerColor = page.bitsPerColor;
  const bool rgb = page.colorSpace == CUPS_CSPACE_RGB || page.colorSpace == CUPS_CSPACE_SRGB;
  h.cupsBitsPerPixel = (rgb ? 3 : 1) * page.bitsPerColor;
  h.cupsBytesPerLine =
      static_cast<unsigned>((static_cast<std::uint64_t>(h.cupsWidth) * h.cupsBitsPerPixel + 7) / 8);
  h.cupsColorOrder = CUPS_ORDER_CHUNKED;
  h.cupsColorSpace = static_cast<cups_cspace_t>(page.colorSpace);
  h.cupsNumColors = rgb ? 3 : 1;
  std::snprintf(h.cupsPageSizeName, sizeof h.cupsPageSizeName, "%s", page.pageSizeName.c_str());
  return h;
}

bool ApplyOverride(cups_page_header2_t& header, const std::string& field, const std::string& value) {
  if (field == "cupsPageSizeName") {
    if (value == "@unterminated") {
      std::memset(header.cupsPageSizeName, 'X', sizeof header.cupsPageSizeName);
    } else {
      std::snprintf(header.cupsPageSizeName, sizeof header.cupsPageSizeName, "%s", value.c_str());
    }
    return true;
  }
  unsigned* target = NumberField(header, field);
  if (target == nullptr || value.empty()) return false;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(value.c_str(), &end, 0);
  if (*end != '\0' || v > 0xFFFFFFFFull) return false;
  *target = static_cast<unsigned>(v);
  return true;
}

std::vector<std::uint8_t> RenderPage(const cups_page_header2_t& h, const PageSpec& page) {
  std::uint64_t size = static_cast<std::uint64_t>(h.cupsBytesPerLine) * h.cupsHeight;
  if (size > kMaxRenderBytes) size = kMaxRenderBytes;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size), 0);
  if (h.cupsBytesPerLine == 0) return pixels;
  const bool additive = Additive(h.cupsColorSpace);
  const unsigned bpp = h.cupsBitsPerPixel;
  const std::uint64_t rows = size / h.cupsBytesPerLine;
  for (std::uint64_t y = 0; y < rows; ++y) {
    std::uint8_t* row = &pixels[static_cast<std::size_t>(y * h.cupsBytesPerLine)];
    for (std::uint64_t x = 0; x < h.cupsWidth; ++x) {
      const unsigned px = static_cast<unsigned>(x), py = static_cast<unsigned>(y);
      std::uint8_t ink = PatternInk(page.pattern, px, py, h.cupsWidth);
      if (page.image != nullptr && px < page.image->width && py < page.image->height) {
        ink = page.image->InkAt(px, py);
      }
      const std::uint8_t value = additive ? static_cast<std::uint8_t>(255 - ink) : ink;
      if (bpp == 1) {
        if ((value >= 128) && x / 8 < h.cupsBytesPerLine)
          row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      } else if (bpp == 8) {
        if (x < h.cupsBytesPerLine) row[x] = value;
      } else if (bpp == 24) {
        if (3 * x + 2 < h.cupsBytesPerLine) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = value;
      } else {
        // Other depths only serve refusal tests: fill whole bytes.
        const std::uint64_t byte = x * bpp / 8;
        if (byte < h.cupsBytesPerLine) row[byte] = value;
      }
    }
  }
  return pixels;
}

bool BuildRasterStream(const StreamSpec& request, std::vector<std::uint8_t>& out, std::string& error) {
  out.clear();
  std::vector<cups_page_header2_t> headers;
  for (const PageSpec& page : request.pages) {
    cups_page_header2_t h = LayoutHeader(page);
    for (const auto& kv : page.overrides) {
      if (!ApplyOverride(h, kv.first, kv.second)) {
        error = "bad header override " + kv.first + "=" + kv.second;
        return false;
      }
    }
    headers.push_back(h);
  }
  if (request.rawHeader) {
    if (request.version != 3) {
      error = "raw headers are written as version 3 only";
      return false;
    }
    const unsigned sync = CUPS_RASTER_SYNC;  // native byte order, as libcups writes it
    AppendRaw(out, &sync, sizeof sync);
    for (std::size_t i = 0; i < headers.size(); ++i) {
      AppendRaw(out, &headers[i], sizeof headers[i]);
      const std::vector<std::uint8_t> pixels = RenderPage(headers[i], request.pages[i]);
      AppendRaw(out, pixels.data(), pixels.size());
    }
  } else {
    const cups_mode_t modes[] = {CUPS_RASTER_WRITE_COMPRESSED, CUPS_RASTER_WRITE, CUPS_RASTER_WRITE_PWG,
                                 CUPS_RASTER_WRITE_APPLE};
    const cups_mode_t mode = modes[request.version >= 2 && request.version <= 5 ? request.version - 2 : 1];
    std::unique_ptr<cups_raster_t, RasterCloser> raster(cupsRasterOpenIO(AppendToVector, &out, mode));
    if (!raster) {
      error = "cannot open a raster stream for writing";
      return false;
    }
    for (std::size_t i = 0; i < headers.size(); ++i) {
      std::vector<std::uint8_t> pixels = RenderPage(headers[i], request.pages[i]);
      if (!cupsRasterWriteHeader2(raster.get(), &headers[i]) ||
          cupsRasterWritePixels(raster.get(), pixels.data(), static_cast<unsigned>(pixels.size())) !=
              pixels.size()) {
        error = "libcups refused page " + std::to_string(i + 1);
        return false;
      }
    }
  }
  if (request.keepBytes >= 0 && static_cast<std::uint64_t>(request.keepBytes) < out.size()) {
    out.resize(static_cast<std::size_t>(request.keepBytes));
  }
  if (request.cutBytes > 0)
    out.resize(out.size() > static_cast<std::uint64_t>(request.cutBytes) ? out.size() - request.cutBytes : 0);
  return true;
}

}  // namespace marvik::raster
