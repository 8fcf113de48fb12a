#include "logging/LogFileHandler.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace marvlog {
namespace {

constexpr size_t kReadBlock = 8192;

// open(2) flags for an fopen-style mode; false for a mode we do not know.
bool flagsForMode(const char* mode, int* flags) {
  if (mode == nullptr) return false;
  const bool plus = std::strchr(mode, '+') != nullptr;
  switch (mode[0]) {
    case 'r':
      *flags = plus ? O_RDWR : O_RDONLY;
      return true;
    case 'w':
      // O_TRUNC is applied by hand once the file has passed the checks.
      *flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
      return true;
    case 'a':
      *flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
      return true;
    default:
      return false;
  }
}

}  // namespace

long LogFileHandler::open(const char* path, const char* mode) {
  return openAt(AT_FDCWD, path, mode);
}

long LogFileHandler::openAt(int directory, const char* path, const char* mode) {
  close();
  int flags = 0;
  if (path == nullptr || !flagsForMode(mode, &flags)) return -1;
  const bool writes = (flags & O_ACCMODE) != O_RDONLY;
  // O_NONBLOCK keeps a planted FIFO from blocking the open; it is cleared
  // again once the file is known to be a regular one.
  const int openFlags = (flags & ~O_TRUNC) | O_CLOEXEC | O_NONBLOCK | (writes ? O_NOFOLLOW : 0);
  int fd = ::openat(directory, path, openFlags, 0666);
  if (fd < 0) return -1;
  // A second hard link is as foreign as a symbolic link: where the kernel
  // lets anyone link to another user's file, it would point our appends
  // and truncations at that file.
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (writes && st.st_nlink > 1) ||
      ((flags & O_TRUNC) != 0 && ftruncate(fd, 0) != 0) || fcntl(fd, F_SETFL, flags & O_APPEND) != 0) {
    ::close(fd);
    return -1;
  }
  file_ = fdopen(fd, mode);
  if (file_ == nullptr) {
    ::close(fd);
    return -1;
  }
  const long start = ftell(file_);
  fseek(file_, 0, SEEK_END);
  const long size = ftell(file_);
  fseek(file_, start < 0 ? 0 : start, SEEK_SET);
  return size;
}

void LogFileHandler::write(const char* data, size_t len) {
  if (file_ == nullptr || len == 0) return;
  if (fwrite(data, 1, len, file_) < len) close();
}

void LogFileHandler::flush() {
  if (file_ != nullptr) fflush(file_);
}

void LogFileHandler::clean(int offset, int len) {
  if (file_ == nullptr) return;
  const int fd = fileno(file_);
  fsync(fd);
  posix_fadvise(fd, offset, len, POSIX_FADV_DONTNEED);
  fsync(fd);
}

void LogFileHandler::close() {
  if (file_ == nullptr) return;
  // Flush first so that the sync and the cache drop cover the last line too.
  fflush(file_);
  clean(0, 0);
  fclose(file_);
  file_ = nullptr;
}

std::string LogFileHandler::readContent(size_t maxBytes, bool* tooBig) {
  std::string text;
  if (tooBig != nullptr) *tooBig = false;
  if (file_ == nullptr) return text;
  char block[kReadBlock];
  for (;;) {
    const size_t got = fread(block, 1, kReadBlock, file_);
    if (text.size() + got > maxBytes) {
      if (tooBig != nullptr) *tooBig = true;
      text.append(block, maxBytes - text.size());
      return text;
    }
    text.append(block, got);
    if (got < kReadBlock) return text;
  }
}

bool LogFileHandler::removeFile(const std::string& path) {
  return remove(path.c_str()) == 0;
}

}  // namespace marvlog
