// Shared helpers of the filter tests: raster streams in memory, the encoder's
// page body for a page, and hex tables for the framing bytes.
#pragma once

#include <cups/raster.h>

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "filter/RasterInput.h"
#include "tools/mkraster/RasterWriter.h"

namespace filtertest {

using Bytes = std::vector<unsigned char>;

// "1B 40 0D" -> {0x1B, 0x40, 0x0D}.
Bytes Hex(const std::string& text);
std::string ToHex(const Bytes& bytes, std::size_t limit = 64);

Bytes Concat(std::initializer_list<Bytes> parts);

// A stream of `pages` copies of `page`.
Bytes MakeStream(const marvik::raster::PageSpec& page, int pages = 1, int version = 3, bool raw = false);

// The page body the encoder produces for a 1-bit black page (what the filter
// must put between the frame's start and end).
Bytes ExpectedBody(const marvik::raster::PageSpec& page);

// Reads a stream held in memory through libcups.
class MemoryRaster {
 public:
  // `atEnd`, when given, is set to 1 once the reader asks past the end: a
  // stand-in for a SIGTERM that arrives while a page is being read.
  explicit MemoryRaster(const Bytes& stream, volatile std::sig_atomic_t* atEnd = nullptr);
  MemoryRaster(const MemoryRaster&) = delete;
  MemoryRaster& operator=(const MemoryRaster&) = delete;
  marvik::filter::RasterInput& get() { return input_; }

 private:
  static ssize_t Read(void* ctx, unsigned char* buffer, std::size_t length);
  const Bytes& stream_;
  std::size_t pos_ = 0;
  volatile std::sig_atomic_t* atEnd_;
  marvik::filter::RasterInput input_;
};

}  // namespace filtertest

namespace filtertest {

// Splits an ESC/P command stream into page frames (ESC @ ... FF ESC @),
// walking it command by command so that graphics data is never mistaken for
// a command. `columnBytes` is the size of one ESC * column. Returns false on
// a byte that is no command of this printer or a frame left open.
bool ParseFrames(const Bytes& out, unsigned columnBytes, std::vector<Bytes>& frames);

}  // namespace filtertest
