// The printer byte stream: a buffered writer that checks every write, so a
// job whose bytes never reached the printer is reported as failed instead of
// as printed. Where the bytes go is a write function and its context: a file
// descriptor for the CUPS filter, the printer's device for the application.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace marvik::page {

// Writes up to `size` bytes; returns how many, or -1 with errno set. Tests
// swap in one that fails or writes short.
using WriteFunction = ssize_t (*)(void* context, const void* data, std::size_t size);

class PrinterOutput {
 public:
  // Bytes gathered before they are handed on.
  static constexpr std::size_t kBufferSize = 64 * 1024;

  // Writes to descriptor `fd` (not closed here) with write(2).
  explicit PrinterOutput(int fd);
  PrinterOutput(WriteFunction write, void* context);
  // Flushes what is left; a failure there can only be seen through Flush().
  ~PrinterOutput();
  PrinterOutput(const PrinterOutput&) = delete;
  PrinterOutput& operator=(const PrinterOutput&) = delete;

  // Appends bytes; returns false once any write has failed.
  bool Write(const unsigned char* data, std::size_t size);
  bool Write(const std::vector<unsigned char>& bytes) { return Write(bytes.data(), bytes.size()); }
  // Hands every buffered byte on.
  bool Flush();

  bool Failed() const { return failed_; }
  // errno of the failed write (0 for a write that made no progress).
  int Error() const { return error_; }
  std::uint64_t BytesWritten() const { return written_; }

 private:
  static ssize_t WriteDescriptor(void* fd, const void* data, std::size_t size);
  bool WriteThrough(const unsigned char* data, std::size_t size);

  int fd_ = -1;
  WriteFunction write_;
  void* context_;
  std::vector<unsigned char> buffer_;
  bool failed_ = false;
  int error_ = 0;
  std::uint64_t written_ = 0;
};

}  // namespace marvik::page
