#include "FilterTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "printer/DotMatrixPrinter.h"

namespace filtertest {

Bytes Hex(const std::string& text) {
  Bytes out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<unsigned char>(std::strtoul(text.substr(i, 2).c_str(), nullptr, 16)));
    i += 2;
  }
  return out;
}

std::string ToHex(const Bytes& bytes, std::size_t limit) {
  std::string text;
  char byte[4];
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    std::snprintf(byte, sizeof byte, "%02X ", bytes[i]);
    text += byte;
  }
  if (bytes.size() > limit) text += "...";
  return text;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes MakeStream(const marvik::raster::PageSpec& page, int pages, int version, bool raw) {
  marvik::raster::StreamSpec request;
  request.version = version;
  request.rawHeader = raw;
  request.pages.assign(static_cast<std::size_t>(pages), page);
  Bytes out;
  std::string error;
  if (!marvik::raster::BuildRasterStream(request, out, error))
    std::fprintf(stderr, "MakeStream: %s\n", error.c_str());
  return out;
}

Bytes ExpectedBody(const marvik::raster::PageSpec& page) {
  marvik::raster::PageSpec black = page;
  black.bitsPerColor = 1;
  black.colorSpace = CUPS_CSPACE_K;
  const cups_page_header2_t h = marvik::raster::LayoutHeader(black);
  const std::vector<std::uint8_t> pixels = marvik::raster::RenderPage(h, black);
  DotMatrixPrinter printer(PIN_TYPE_24, static_cast<int32_t>(h.HWResolution[0]),
                           static_cast<int32_t>(h.HWResolution[1]));
  printer.SetPage(pixels.data(), h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight);
  Bytes body;
  printer.Page(body);
  return body;
}

MemoryRaster::MemoryRaster(const Bytes& stream, volatile std::sig_atomic_t* atEnd)
    : stream_(stream), atEnd_(atEnd), input_(&MemoryRaster::Read, this) {}

ssize_t MemoryRaster::Read(void* ctx, unsigned char* buffer, std::size_t length) {
  auto* self = static_cast<MemoryRaster*>(ctx);
  const std::size_t left = self->stream_.size() - self->pos_;
  const std::size_t n = length < left ? length : left;
  if (n == 0 && self->atEnd_ != nullptr) *self->atEnd_ = 1;
  std::copy(self->stream_.begin() + static_cast<long>(self->pos_),
            self->stream_.begin() + static_cast<long>(self->pos_ + n), buffer);
  self->pos_ += n;
  return static_cast<ssize_t>(n);
}

bool ParseFrames(const Bytes& out, unsigned columnBytes, std::vector<Bytes>& frames) {
  frames.clear();
  std::size_t i = 0, frameStart = 0;
  bool inFrame = false, afterFormFeed = false;
  auto need = [&](std::size_t n) { return out.size() - i >= n; };
  while (i < out.size()) {
    const unsigned char b = out[i];
    std::size_t length = 0;
    if (b == 0x0D) {
      length = 1;
    } else if (b == 0x0C) {
      length = 1;
    } else if (b == 0x1C && need(4) && out[i + 1] == 'C') {
      length = 4;  // FS C nL nH
    } else if (b == 0x1B && need(2)) {
      switch (out[i + 1]) {
        case '@':
          length = 2;
          break;
        case '2':
          length = 2;
          break;
        case 'C':
          length = 3;
          break;
        case 'J':
          length = 3;
          break;
        case '$':
          length = 4;
          break;
        case '(':
          if (need(3) && out[i + 2] == 'U') length = 6;
          if (need(3) && out[i + 2] == 'v') length = 7;
          break;
        case '*':
          if (need(5)) length = 5 + (out[i + 3] + 256u * out[i + 4]) * columnBytes;
          break;
        default:
          break;
      }
    }
    if (length == 0 || !need(length)) return false;
    const bool reset = b == 0x1B && out[i + 1] == '@';
    if (reset && !inFrame) {
      inFrame = true;
      frameStart = i;
    } else if (reset && afterFormFeed) {
      frames.emplace_back(out.begin() + static_cast<long>(frameStart),
                          out.begin() + static_cast<long>(i + 2));
      inFrame = false;
    } else if (!inFrame) {
      return false;
    }
    afterFormFeed = b == 0x0C;
    i += length;
  }
  return !inFrame;
}

}  // namespace filtertest
