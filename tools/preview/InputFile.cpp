#include "tools/preview/InputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace marvik::preview {

namespace {

// Closes a descriptor it opened; standard input is left open.
class InputFile {
 public:
  explicit InputFile(const std::string& path)
      : fd_(path.empty() || path == "-" ? 0 : open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~InputFile() {
    if (fd_ > 0) close(fd_);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool ReadInput(const std::string& path, size_t limit, std::vector<uint8_t>* data, std::string* error) {
  const std::string name = path.empty() || path == "-" ? "standard input" : path;
  InputFile input(path);
  if (input.fd() < 0) {
    *error = name + ": " + std::strerror(errno);
    return false;
  }
  uint8_t chunk[1 << 16];
  for (;;) {
    ssize_t got = read(input.fd(), chunk, sizeof chunk);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      *error = name + ": " + std::strerror(errno);
      return false;
    }
    if (data->size() + static_cast<size_t>(got) > limit) {
      *error = name + ": refused, longer than " + std::to_string(limit >> 20) + " MiB";
      return false;
    }
    data->insert(data->end(), chunk, chunk + got);
  }
}

}  // namespace marvik::preview
