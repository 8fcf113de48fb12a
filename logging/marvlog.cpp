#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include "logging/log_manager.h"

namespace marvlog {

ILogManager* ILogManager::getInstance() {
  // Built once, thread-safely, on first use; its destructor stops the
  // writer thread at process exit.
  static LogManager manager;
  return &manager;
}

WallTime systemWallTime() {
  struct timeval tv {};
  gettimeofday(&tv, nullptr);
  return WallTime{static_cast<int64_t>(tv.tv_sec), static_cast<uint32_t>(tv.tv_usec)};
}

uint32_t systemThreadId() {
  return static_cast<uint32_t>(syscall(SYS_gettid));
}

}  // namespace marvlog
