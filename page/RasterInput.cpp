#include "page/RasterInput.h"

#include <unistd.h>

#include <cerrno>

namespace marvik::page {

RasterInput::RasterInput(int fd) : read_(&RasterInput::ReadDescriptor), context_(&fd_), fd_(fd) {
  raster_ = cupsRasterOpenIO(&RasterInput::Read, this, CUPS_RASTER_READ);
}

RasterInput::RasterInput(ReadFunction read, void* context) : read_(read), context_(context) {
  raster_ = cupsRasterOpenIO(&RasterInput::Read, this, CUPS_RASTER_READ);
}

RasterInput::~RasterInput() {
  if (raster_ != nullptr) cupsRasterClose(raster_);
}

ssize_t RasterInput::Read(void* self, unsigned char* buffer, std::size_t size) {
  auto* input = static_cast<RasterInput*>(self);
  const ssize_t n = input->read_(input->context_, buffer, size);
  if (n <= 0 && size > 0) input->ended_ = true;
  if (n > 0) input->bytesRead_ += static_cast<std::uint64_t>(n);
  return n;
}

ssize_t RasterInput::ReadDescriptor(void* fd, unsigned char* buffer, std::size_t size) {
  ssize_t n;
  do {
    n = ::read(*static_cast<int*>(fd), buffer, size);
  } while (n < 0 && errno == EINTR);
  return n;
}

}  // namespace marvik::page
