// The job's raster stream, read through libcups from a descriptor or any
// read function, remembering whether the input itself reached its end.
//
// libcups answers "no header" both at the end of the stream and for a
// header it refuses (a zero height or line length, an impossible depth).
// Only the input can tell the two apart: a refused header leaves data
// unread, and the pages behind it must not be lost silently.
#pragma once

#include <cups/raster.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace marvik::page {

class RasterInput {
 public:
  // Same shape as libcups's read callback.
  using ReadFunction = ssize_t (*)(void* context, unsigned char* buffer, std::size_t size);

  // Reads the raster stream from descriptor `fd` (not closed here).
  explicit RasterInput(int fd);
  // Reads it through `read(context, ...)`; tests and the fuzzer feed memory.
  RasterInput(ReadFunction read, void* context);
  ~RasterInput();
  RasterInput(const RasterInput&) = delete;
  RasterInput& operator=(const RasterInput&) = delete;

  // Null when the stream does not start like CUPS raster.
  cups_raster_t* get() const { return raster_; }
  // True once a read returned end of input (or failed: nothing more comes).
  bool ReachedEnd() const { return ended_; }
  // Bytes the input has delivered so far. A header that libcups could not
  // read in full while the count still grew was cut off by the end.
  std::uint64_t BytesRead() const { return bytesRead_; }

  // Whether libcups was handed `read` by a RasterInput: how a hook on
  // libcups's raster functions tells this class's readers from others.
  static bool IsOwnReadFunction(cups_raster_iocb_t read) { return read == &RasterInput::Read; }

 private:
  static ssize_t Read(void* self, unsigned char* buffer, std::size_t size);
  static ssize_t ReadDescriptor(void* fd, unsigned char* buffer, std::size_t size);

  ReadFunction read_;
  void* context_;
  int fd_ = -1;
  bool ended_ = false;
  std::uint64_t bytesRead_ = 0;
  cups_raster_t* raster_ = nullptr;
};

}  // namespace marvik::page
