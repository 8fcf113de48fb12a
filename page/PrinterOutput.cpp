#include "page/PrinterOutput.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace marvik::page {

ssize_t PrinterOutput::WriteDescriptor(void* fd, const void* data, std::size_t size) {
  return ::write(*static_cast<int*>(fd), data, size);
}

PrinterOutput::PrinterOutput(int fd) : fd_(fd), write_(&PrinterOutput::WriteDescriptor), context_(&fd_) {
  buffer_.reserve(kBufferSize);
}

PrinterOutput::PrinterOutput(WriteFunction write, void* context) : write_(write), context_(context) {
  buffer_.reserve(kBufferSize);
}

PrinterOutput::~PrinterOutput() {
  Flush();
}

bool PrinterOutput::Write(const unsigned char* data, std::size_t size) {
  if (failed_) return false;
  if (buffer_.size() + size <= kBufferSize) {
    buffer_.insert(buffer_.end(), data, data + size);
    return true;
  }
  // A large block (a page body) goes out directly after what is buffered.
  if (!Flush()) return false;
  if (size >= kBufferSize) return WriteThrough(data, size);
  buffer_.insert(buffer_.end(), data, data + size);
  return true;
}

bool PrinterOutput::Flush() {
  if (failed_) return false;
  const bool ok = WriteThrough(buffer_.data(), buffer_.size());
  buffer_.clear();
  return ok;
}

bool PrinterOutput::WriteThrough(const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write_(context_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : 0;
      failed_ = true;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    written_ += static_cast<std::uint64_t>(n);
  }
  return true;
}

}  // namespace marvik::page
