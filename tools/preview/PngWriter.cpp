#include "tools/preview/PngWriter.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace marvik::preview {

namespace {

struct FileCloser {
  void operator()(FILE* file) const {
    if (file != nullptr) std::fclose(file);
  }
};

// Owns libpng's write and info structures.
struct PngHandles {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngHandles() { png_destroy_write_struct(&png, info != nullptr ? &info : nullptr); }
};

// libpng's own messages end up here instead of on standard error.
void OnPngError(png_structp png, png_const_charp message) {
  auto* error = static_cast<std::string*>(png_get_error_ptr(png));
  if (error != nullptr) *error = message;
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// How the pixels are stored: 1-bit gray, or a small palette.
struct Layout {
  int bitDepth;
  int colorType;
  const png_color* palette;
  int paletteSize;
};

// Fills one row of packed pixels; the row arrives zeroed.
using RowFiller = std::function<void(uint32_t y, std::vector<uint8_t>& row)>;

// Everything libpng may jump out of lives here, with no object in this frame
// that needs destroying: the caller owns the handles, the filler and the row.
bool EncodeRows(PngHandles& handles, FILE* file, Resolution resolution, const Layout& layout, uint32_t width,
                uint32_t height, const RowFiller& fill, std::vector<uint8_t>& row) {
  png_structp png = handles.png;
  png_infop info = handles.info;
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, layout.bitDepth, layout.colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (layout.palette != nullptr) png_set_PLTE(png, info, layout.palette, layout.paletteSize);
  // Dots per metre, rounded.
  png_set_pHYs(png, info, static_cast<png_uint_32>(resolution.x / 0.0254 + 0.5),
               static_cast<png_uint_32>(resolution.y / 0.0254 + 0.5), PNG_RESOLUTION_METER);
  png_write_info(png, info);
  // A 1 bit in the canvas is a dot; in 1-bit gray PNG 0 is black.
  if (layout.colorType == PNG_COLOR_TYPE_GRAY) png_set_invert_mono(png);
  for (uint32_t y = 0; y < height; ++y) {
    std::fill(row.begin(), row.end(), 0);
    fill(y, row);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  return true;
}

bool WriteRows(const std::string& path, Resolution resolution, const Layout& layout, int64_t width,
               int64_t height, const RowFiller& fill, std::string* error) {
  if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
    *error = "image size " + std::to_string(width) + "x" + std::to_string(height) + " out of range";
    return false;
  }
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  PngHandles handles;
  handles.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, OnPngError, OnPngWarning);
  if (handles.png != nullptr) handles.info = png_create_info_struct(handles.png);
  if (handles.png == nullptr || handles.info == nullptr) {
    *error = "libpng could not start";
    return false;
  }
  std::vector<uint8_t> row(static_cast<size_t>((width * layout.bitDepth + 7) / 8), 0);
  if (!EncodeRows(handles, file.get(), resolution, layout, static_cast<uint32_t>(width),
                  static_cast<uint32_t>(height), fill, row)) {
    *error = path + ": " + *error;
    return false;
  }
  FILE* raw = file.release();
  if (std::fflush(raw) != 0 || std::ferror(raw) != 0) {
    *error = path + ": " + std::strerror(errno);
    std::fclose(raw);
    return false;
  }
  if (std::fclose(raw) != 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

// A round dot of `diameterMm` at `resolution`, as the half widths (in
// pixels either side of the centre) of its rows 0, 1, 2, ... away from the
// centre row: the pixels whose centres lie inside the dot's ellipse in pixel
// units. {0} is the single pixel.
std::vector<int64_t> DotSpans(Resolution resolution, double diameterMm) {
  const double rx = diameterMm / 2 / 25.4 * resolution.x;
  const double ry = diameterMm / 2 / 25.4 * resolution.y;
  std::vector<int64_t> spans{static_cast<int64_t>(std::floor(rx + 1e-9))};
  if (ry <= 0) return spans;
  for (int64_t dy = 1; dy <= static_cast<int64_t>(std::floor(ry + 1e-9)); ++dy) {
    const double across = 1.0 - (static_cast<double>(dy) / ry) * (static_cast<double>(dy) / ry);
    spans.push_back(static_cast<int64_t>(std::floor(rx * std::sqrt(std::max(0.0, across)) + 1e-9)));
  }
  return spans;
}

// Palette of the difference picture, by pixel value.
constexpr png_color kDiffPalette[] = {{255, 255, 255}, {0, 0, 0}, {230, 0, 0}, {0, 80, 230}};
enum DiffPixel : uint8_t { kPaper = 0, kBoth = 1, kMissing = 2, kExtra = 3 };

}  // namespace

bool WritePng(const std::string& path, const DotCanvas& canvas, int64_t width, int64_t height,
              std::string* error, double dotDiameterMm) {
  const uint8_t lastMask = static_cast<uint8_t>(0xFF00u >> (((width - 1) % 8) + 1));
  const std::vector<int64_t> spans = DotSpans(canvas.resolution(), dotDiameterMm);
  const int64_t reach = static_cast<int64_t>(spans.size()) - 1;
  RowFiller fill = [&canvas, &spans, reach, lastMask](uint32_t y, std::vector<uint8_t>& row) {
    if (reach == 0 && spans[0] == 0) {
      const std::vector<uint8_t>& source = canvas.Row(y);
      size_t copy = std::min(row.size(), source.size());
      if (copy > 0) std::memcpy(row.data(), source.data(), copy);
    } else {
      // Every dot within reach of this row stamps its span of the disc.
      const int64_t bits = static_cast<int64_t>(row.size()) * 8;
      for (int64_t dy = -reach; dy <= reach; ++dy) {
        const int64_t sourceY = static_cast<int64_t>(y) + dy;
        if (sourceY < 0 || sourceY >= canvas.rowCount()) continue;
        const std::vector<uint8_t>& source = canvas.Row(sourceY);
        const int64_t half = spans[static_cast<size_t>(dy < 0 ? -dy : dy)];
        for (size_t i = 0; i < source.size(); ++i) {
          for (uint8_t byte = source[i]; byte != 0; byte &= static_cast<uint8_t>(byte - 1)) {
            const int64_t x = static_cast<int64_t>(i) * 8 + __builtin_clz(byte & -byte) - 24;
            for (int64_t px = std::max<int64_t>(0, x - half); px <= x + half && px < bits; ++px) {
              row[static_cast<size_t>(px / 8)] |= static_cast<uint8_t>(0x80u >> (px % 8));
            }
          }
        }
      }
    }
    row.back() &= lastMask;
  };
  return WriteRows(path, canvas.resolution(), Layout{1, PNG_COLOR_TYPE_GRAY, nullptr, 0}, width, height, fill,
                   error);
}

bool WriteDifferencePng(const std::string& path, const DotCanvas& printed, const RasterPage& raster,
                        std::string* error) {
  int64_t width = std::max<int64_t>(raster.width, printed.empty() ? 0 : printed.maxX() + 1);
  int64_t height = std::max<int64_t>(raster.height, printed.empty() ? 0 : printed.maxY() + 1);
  RowFiller fill = [&printed, &raster, width](uint32_t y, std::vector<uint8_t>& row) {
    for (uint32_t x = 0; x < width; ++x) {
      bool want = y < raster.height && x < raster.width && raster.Dot(x, y);
      bool got = printed.Get(x, y);
      uint8_t pixel = want ? (got ? kBoth : kMissing) : (got ? kExtra : kPaper);
      row[x / 4] |= static_cast<uint8_t>(pixel << (6 - 2 * (x % 4)));
    }
  };
  return WriteRows(path, printed.resolution(), Layout{2, PNG_COLOR_TYPE_PALETTE, kDiffPalette, 4}, width,
                   height, fill, error);
}

}  // namespace marvik::preview
