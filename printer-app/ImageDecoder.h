// PNG and JPEG documents decoded to 8-bit gray, within fixed limits.
//
// An image job is one page: the whole picture is decoded before anything
// is printed, so that a file that is damaged or cut short anywhere ends the
// job with the reason and no half page. Sizes are checked against the
// limits before anything is allocated, libpng and libjpeg stop at the first
// error (their messages become the reason), and a cancelled job stops the
// decoding between rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace marvik::app {

// The largest image decoded for a job: 128 MiB of decoded pixels (a
// 14.875 x 22 in form in colour at 360 dpi is about 125 MiB; libjpeg's
// own working memory is held to the same) and 16384 pixels a side, so that
// no image can make the server hold more.
constexpr std::size_t kMaxImageBytes = 128u << 20;
constexpr std::uint32_t kMaxImagePixels = 16384;

enum class ImageFormat { kPng, kJpeg };

struct FreeDeleter {
  void operator()(unsigned char* p) const { std::free(p); }
};
using PixelBuffer = std::unique_ptr<unsigned char, FreeDeleter>;

struct GrayImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // Pixels per inch as the file states them; 0 when it states none.
  double xPpi = 0;
  double yPpi = 0;
  PixelBuffer pixels;  // width x height bytes, row by row, 0 black .. 255 white
};

// Polled between rows: true stops the decoding.
struct DecodeControl {
  bool (*canceled)(void* context) = nullptr;
  void* context = nullptr;
  bool Canceled() const { return canceled != nullptr && canceled(context); }
};

struct DecodeResult {
  bool ok = false;
  bool canceled = false;
  std::string problem;  // why not, one sentence
};

// Decodes the whole image in `file` (read from its current position);
// transparent parts become white, colour becomes its gray.
DecodeResult DecodeImage(std::FILE* file, ImageFormat format, GrayImage& image,
                         const DecodeControl& control = DecodeControl{});

}  // namespace marvik::app
