#include "logging/SysHelpers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace marvlog {
namespace {

int64_t monotonicMillis() {
  struct timespec ts {};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

constexpr unsigned kSemPollMs = 50;

}  // namespace

LockHelper::LockHelper() {
  pthread_mutex_init(&mutex_, nullptr);
}
LockHelper::~LockHelper() {
  pthread_mutex_destroy(&mutex_);
}
void LockHelper::lock() {
  pthread_mutex_lock(&mutex_);
}
void LockHelper::unLock() {
  pthread_mutex_unlock(&mutex_);
}

SemHelper::~SemHelper() {
  if (created_) {
    sem_destroy(&sem_);
    created_ = false;
  }
}

bool SemHelper::create(int initial) {
  if (initial < 0) initial = 0;
  if (created_) {
    sem_destroy(&sem_);
    created_ = false;
  }
  if (sem_init(&sem_, 0, static_cast<unsigned>(initial)) != 0) return false;
  created_ = true;
  return true;
}

bool SemHelper::wait(int timeoutMs) {
  if (!created_) return false;
  if (timeoutMs <= 0) return sem_wait(&sem_) == 0;
  const int64_t deadline = monotonicMillis() + timeoutMs;
  for (;;) {
    sleepMillisecond(kSemPollMs);
    if (sem_trywait(&sem_) == 0) return true;
    const int err = errno;
    if (monotonicMillis() > deadline) return false;
    if (err != EAGAIN) return false;
  }
}

bool SemHelper::post() {
  return created_ && sem_post(&sem_) == 0;
}

bool ThreadHelper::start() {
  if (started_.load(std::memory_order_acquire)) return false;
  if (pthread_create(&thread_, nullptr, &ThreadHelper::threadProc, this) != 0) return false;
  started_.store(true, std::memory_order_release);
  return true;
}

bool ThreadHelper::wait() {
  if (!started_.load(std::memory_order_acquire)) return false;
  const bool joined = pthread_join(thread_, nullptr) == 0;
  if (joined) started_.store(false, std::memory_order_release);
  return joined;
}

void* ThreadHelper::threadProc(void* self) {
  static_cast<ThreadHelper*>(self)->run();
  return nullptr;
}

FileDescriptor::~FileDescriptor() {
  reset(-1);
}

void FileDescriptor::reset(int fd) {
  if (fd_ >= 0) close(fd_);
  fd_ = fd;
}

int openDirectoryAt(int parent, const char* name, bool create, bool noFollow) {
  if (create) mkdirat(parent, name, 0777);  // an existing one is fine; the open decides
  return openat(parent, name, O_PATH | O_DIRECTORY | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0));
}

void sleepMillisecond(unsigned int ms) {
  // Split into seconds so that long sleeps do not wrap, and resume after a
  // signal so that a sleep is never cut short.
  struct timespec left {};
  left.tv_sec = static_cast<time_t>(ms / 1000U);
  left.tv_nsec = static_cast<long>(ms % 1000U) * 1000000L;
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

struct tm timeToTm(time_t t) {
  struct tm out;
  std::memset(&out, 0, sizeof(out));
  localtime_r(&t, &out);
  return out;
}

void fixPath(std::string& path) {
  if (path.empty()) return;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (path.back() != '/') path.push_back('/');
}

bool isDirectory(std::string path) {
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return false;
  closedir(dir);
  return true;
}

bool createRecursionDir(std::string path) {
  if (path.empty()) return true;
  fixPath(path);
  for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (slash == 0) continue;
    const std::string prefix = path.substr(0, slash);
    if (isDirectory(prefix)) continue;
    if (mkdir(prefix.c_str(), 0777) != 0 && !isDirectory(prefix)) return false;
  }
  return true;
}

}  // namespace marvlog
