#include "filter/CupsHandles.h"

#include <fcntl.h>
#include <unistd.h>

namespace marvik::filter {

JobInput::~JobInput() {
  if (fd_ > 0) ::close(fd_);
}

bool JobInput::Open(const char* path) {
  if (path == nullptr) {
    fd_ = 0;
    return true;
  }
  fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
  return fd_ >= 0;
}

JobOptions::JobOptions(const char* text) {
  count_ = cupsParseOptions(text, 0, &options_);
}

JobOptions::~JobOptions() {
  cupsFreeOptions(count_, options_);
}

void JobOptions::Mark(ppd_file_t* ppd) const {
  ppdMarkDefaults(ppd);
  cupsMarkOptions(ppd, count_, options_);
}

}  // namespace marvik::filter
