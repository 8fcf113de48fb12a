#include "tools/mkraster/RasterWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace marvik::raster {
namespace {

bool Inked(Pattern pattern, unsigned x, unsigned y) {
  // Stripes: full-width bars with white gaps taller than a head band, plus a
  // diagonal, so pages have feeds, bands and skipped white runs.
  return pattern == Pattern::kBlack || (pattern == Pattern::kChecker && (x / 16 + y / 16) % 2 != 0) ||
         (pattern == Pattern::kStripes && (y % 96 < 8 || (x + y) % 256 < 3));
}

// Colour spaces in which white is the high value, so that ink is stored as
// its complement.
bool Additive(unsigned space) {
  return space == CUPS_CSPACE_W || space == CUPS_CSPACE_SW || space == CUPS_CSPACE_RGB ||
         space == CUPS_CSPACE_SRGB || space == CUPS_CSPACE_ADOBERGB;
}

// Every numeric header field is 32 bits wide, enums included.
unsigned* NumberField(cups_page_header2_t& h, const std::string& field) {
  const std::pair<const char*, unsigned*> fields[] = {
      {"NumCopies", &h.NumCopies},
      {"Duplex", reinterpret_cast<unsigned*>(&h.Duplex)},
      {"ManualFeed", reinterpret_cast<unsigned*>(&h.ManualFeed)},
      {"MediaPosition", &h.MediaPosition},
      {"Orientation", reinterpret_cast<unsigned*>(&h.Orientation)},
      {"cupsMediaType", &h.cupsMediaType},
      {"cupsCompression", &h.cupsCompression},
      {"cupsWidth", &h.cupsWidth},
      {"cupsHeight", &h.cupsHeight},
      {"cupsBytesPerLine", &h.cupsBytesPerLine},
      {"cupsBitsPerColor", &h.cupsBitsPerColor},
      {"cupsBitsPerPixel", &h.cupsBitsPerPixel},
      {"cupsColorOrder", reinterpret_cast<unsigned*>(&h.cupsColorOrder)},
      {"cupsColorSpace", reinterpret_cast<unsigned*>(&h.cupsColorSpace)},
      {"HWResolution[0]", &h.HWResolution[0]},
      {"HWResolution[1]", &h.HWResolution[1]},
      {"PageSize[0]", &h.PageSize[0]},
      {"PageSize[1]", &h.PageSize[1]},
      {"Margins[0]", &h.Margins[0]},
      {"Margins[1]", &h.Margins[1]},
      {"ImagingBoundingBox[0]", &h.ImagingBoundingBox[0]},
      {"ImagingBoundingBox[1]", &h.ImagingBoundingBox[1]},
      {"ImagingBoundingBox[2]", &h.ImagingBoundingBox[2]},
      {"ImagingBoundingBox[3]", &h.ImagingBoundingBox[3]},
      {"cupsInteger[0]", &h.cupsInteger[0]},
  };
  for (const auto& [name, target] : fields) {
    if (field == name) return target;
  }
  return nullptr;
}

ssize_t AppendToVector(void* ctx, unsigned char* buffer, size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(ctx);
  out->insert(out->end(), buffer, buffer + length);
  return static_cast<ssize_t>(length);
}

void AppendRaw(std::vector<std::uint8_t>& out, const void* data, std::size_t size) {
  out.insert(out.end(), static_cast<const std::uint8_t*>(data),
             static_cast<const std::uint8_t*>(data) + size);
}

struct RasterCloser {
  void operator()(cups_raster_t* r) const { cupsRasterClose(r); }
};

}  // namespace

cups_page_header2_t LayoutHeader(const PageSpec& page) {
  cups_page_header2_t h;
  std::memset(&h, 0, sizeof h);
  std::snprintf(h.MediaClass, sizeof h.MediaClass, "PwgRaster");
  const bool rgb = page.colorSpace == CUPS_CSPACE_RGB || page.colorSpace == CUPS_CSPACE_SRGB;
  h.HWResolution[0] = page.xdpi;
  h.HWResolution[1] = page.ydpi;
  h.PageSize[0] = h.ImagingBoundingBox[2] = page.widthPoints;
  h.PageSize[1] = h.ImagingBoundingBox[3] = page.heightPoints;
  h.NumCopies = page.numCopies;
  h.cupsWidth = static_cast<unsigned>(static_cast<std::uint64_t>(page.widthPoints) * page.xdpi / 72);
  h.cupsHeight = static_cast<unsigned>(static_cast<std::uint64_t>(page.heightPoints) * page.ydpi / 72);
  h.cupsBitsPerColor = page.bitsPerColor;
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
  const std::uint64_t lineBytes = h.cupsBytesPerLine, bpp = h.cupsBitsPerPixel;
  std::vector<std::uint8_t> pixels(
      static_cast<std::size_t>(std::min(lineBytes * h.cupsHeight, kMaxRenderBytes)));
  if (lineBytes == 0 || bpp == 0) return pixels;
  // Pixels of 8 bits or more are whole bytes of ink or none (other depths
  // serve refusal tests only); only those within the line are drawn.
  const std::uint64_t width = std::min<std::uint64_t>(h.cupsWidth, lineBytes * 8 / bpp);
  const std::uint64_t pixelBytes = std::max<std::uint64_t>(bpp / 8, 1);
  const bool additive = Additive(h.cupsColorSpace);
  for (std::uint64_t y = 0; y < pixels.size() / lineBytes; ++y) {
    std::uint8_t* row = &pixels[static_cast<std::size_t>(y * lineBytes)];
    for (std::uint64_t x = 0; x < width; ++x) {
      if (Inked(page.pattern, static_cast<unsigned>(x), static_cast<unsigned>(y)) == additive) continue;
      if (bpp == 1) {
        row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      } else {
        std::fill_n(row + x * bpp / 8, pixelBytes, 255);
      }
    }
  }
  return pixels;
}

bool BuildRasterStream(const StreamSpec& request, std::vector<std::uint8_t>& out, std::string& error) {
  out.clear();
  std::vector<cups_page_header2_t> headers;
  for (const PageSpec& page : request.pages) {
    headers.push_back(LayoutHeader(page));
    for (const auto& [field, value] : page.overrides) {
      if (!ApplyOverride(headers.back(), field, value)) {
        error = "bad header override " + field + "=" + value;
        return false;
      }
    }
  }
  if (request.rawHeader && request.version != 3) {
    error = "raw headers are written as version 3 only";
    return false;
  }
  std::unique_ptr<cups_raster_t, RasterCloser> raster;
  if (request.rawHeader) {
    const unsigned sync = CUPS_RASTER_SYNC;  // native byte order, as libcups writes it
    AppendRaw(out, &sync, sizeof sync);
  } else {
    const cups_mode_t modes[] = {CUPS_RASTER_WRITE_COMPRESSED, CUPS_RASTER_WRITE, CUPS_RASTER_WRITE_PWG,
                                 CUPS_RASTER_WRITE_APPLE};
    raster.reset(cupsRasterOpenIO(
        AppendToVector, &out, modes[request.version >= 2 && request.version <= 5 ? request.version - 2 : 1]));
    if (!raster) {
      error = "cannot open a raster stream for writing";
      return false;
    }
  }
  for (std::size_t i = 0; i < headers.size(); ++i) {
    std::vector<std::uint8_t> pixels = RenderPage(headers[i], request.pages[i]);
    if (!raster) {
      AppendRaw(out, &headers[i], sizeof headers[i]);
      AppendRaw(out, pixels.data(), pixels.size());
    } else if (!cupsRasterWriteHeader2(raster.get(), &headers[i]) ||
               cupsRasterWritePixels(raster.get(), pixels.data(), static_cast<unsigned>(pixels.size())) !=
                   pixels.size()) {
      error = "libcups refused page " + std::to_string(i + 1);
      return false;
    }
  }
  raster.reset();  // the stream is complete before it is cut
  if (request.keepBytes >= 0 && static_cast<std::uint64_t>(request.keepBytes) < out.size()) {
    out.resize(static_cast<std::size_t>(request.keepBytes));
  }
  if (request.cutBytes > 0)
    out.resize(out.size() > static_cast<std::uint64_t>(request.cutBytes) ? out.size() - request.cutBytes : 0);
  return true;
}

}  // namespace marvik::raster
