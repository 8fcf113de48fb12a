#include <pthread.h>
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

namespace {

// The kernel thread id costs a system call, most of the price of a line;
// each thread asks once. A forked child's thread is a new kernel thread
// with the parent's thread-local values, so fork clears the cache.
thread_local uint32_t tlsThreadId = 0;

void forgetThreadId() {
  tlsThreadId = 0;
}

}  // namespace

uint32_t systemThreadId() {
  if (tlsThreadId == 0) {
    static const bool forkHandled = pthread_atfork(nullptr, nullptr, &forgetThreadId) == 0;
    (void)forkHandled;
    tlsThreadId = static_cast<uint32_t>(syscall(SYS_gettid));
  }
  return tlsThreadId;
}

}  // namespace marvlog
