// Fuzz target: a JPEG or PNG document (told by its first bytes, as a client
// would name it) decoded within the limits, then placed on a small page with
// a print-scaling taken from its size. Every dot must stay on the page.
#include <stdio.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "printer-app/ImageDecoder.h"
#include "printer-app/ImagePage.h"

using namespace marvik::app;

namespace {

struct FileCloser {
  void operator()(FILE* file) const { fclose(file); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::unique_ptr<FILE, FileCloser> file(fmemopen(const_cast<uint8_t*>(data), size, "rb"));
  if (!file) return 0;
  const bool png = size >= 4 && std::memcmp(data, "\x89PNG", 4) == 0;
  GrayImage image;
  const DecodeResult result = DecodeImage(file.get(), png ? ImageFormat::kPng : ImageFormat::kJpeg, image);
  if (result.ok != (image.pixels != nullptr) || result.ok != result.problem.empty()) __builtin_trap();
  if (!result.ok) return 0;
  MediaGeometry media;  // 2 x 1.5 in at 120 x 180 dpi, margins 0.1 in
  media.xDpi = 120, media.yDpi = 180, media.width = 5080, media.length = 3810;
  media.left = media.right = media.top = media.bottom = 254;
  const cups_page_header2_t header = ImagePageHeader(media);
  const std::size_t bytes = std::size_t{header.cupsBytesPerLine} * header.cupsHeight;
  std::unique_ptr<unsigned char[]> page(new unsigned char[bytes]);
  std::memset(page.get(), 255, bytes);
  PlaceImage(image, static_cast<Scaling>(size % 5), media, header, page.get());
  return 0;
}
