#include "preview/png_writer.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace escpreview {

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

// Everything libpng may jump out of lives here, with no object in this frame
// that needs destroying: the caller owns the handles and the row buffer.
bool EncodeRows(PngHandles& handles, FILE* file, const DotCanvas& canvas, uint32_t width, uint32_t height,
                std::vector<uint8_t>& row) {
  png_structp png = handles.png;
  png_infop info = handles.info;
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Dots per metre, rounded.
  Resolution resolution = canvas.resolution();
  png_set_pHYs(png, info, static_cast<png_uint_32>(resolution.x / 0.0254 + 0.5),
               static_cast<png_uint_32>(resolution.y / 0.0254 + 0.5), PNG_RESOLUTION_METER);
  png_write_info(png, info);
  // A 1 bit in the canvas is a dot; in 1-bit gray PNG 0 is black.
  png_set_invert_mono(png);
  size_t rowBytes = row.size();
  uint8_t lastMask = static_cast<uint8_t>(0xFF00u >> (((width - 1) % 8) + 1));
  for (uint32_t y = 0; y < height; ++y) {
    const std::vector<uint8_t>& source = canvas.Row(y);
    size_t copy = std::min(rowBytes, source.size());
    std::fill(row.begin(), row.end(), 0);
    if (copy > 0) std::memcpy(row.data(), source.data(), copy);
    row[rowBytes - 1] &= lastMask;
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePng(const std::string& path, const DotCanvas& canvas, int64_t width, int64_t height,
              std::string* error) {
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
  std::vector<uint8_t> row(static_cast<size_t>((width + 7) / 8), 0);
  if (!EncodeRows(handles, file.get(), canvas, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                  row)) {
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

}  // namespace escpreview
