// The printer byte stream on standard output: a buffered writer over a file
// descriptor that checks every write, so a job whose bytes never reached the
// backend is reported as failed instead of as printed.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace marvik::filter {

// Signature of write(2); tests swap in one that fails or writes short.
using WriteFunction = ssize_t (*)(int fd, const void* data, std::size_t size);

class PrinterOutput {
 public:
  // Bytes gathered before they are handed to the descriptor.
  static constexpr std::size_t kBufferSize = 64 * 1024;

  explicit PrinterOutput(int fd, WriteFunction writeFn = nullptr);
  // Flushes what is left; a failure there can only be seen through Flush().
  ~PrinterOutput();
  PrinterOutput(const PrinterOutput&) = delete;
  PrinterOutput& operator=(const PrinterOutput&) = delete;

  // Appends bytes; returns false once any write has failed.
  bool Write(const unsigned char* data, std::size_t size);
  bool Write(const std::vector<unsigned char>& bytes) { return Write(bytes.data(), bytes.size()); }
  // Hands every buffered byte to the descriptor.
  bool Flush();

  bool Failed() const { return failed_; }
  // errno of the failed write (0 for a write that made no progress).
  int Error() const { return error_; }
  std::uint64_t BytesWritten() const { return written_; }

 private:
  bool WriteThrough(const unsigned char* data, std::size_t size);

  int fd_;
  WriteFunction write_;
  std::vector<unsigned char> buffer_;
  bool failed_ = false;
  int error_ = 0;
  std::uint64_t written_ = 0;
};

}  // namespace marvik::filter
