#include "filter/PrinterOutput.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace marvik::filter {

namespace {

ssize_t SystemWrite(int fd, const void* data, std::size_t size) {
  return ::write(fd, data, size);
}

}  // namespace

PrinterOutput::PrinterOutput(int fd, WriteFunction writeFn)
    : fd_(fd), write_(writeFn ? writeFn : SystemWrite) {
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
    const ssize_t n = write_(fd_, data, size);
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

}  // namespace marvik::filter
