// Thin wrappers over the operating-system services the logging library uses:
// a mutex and its scope guard, a semaphore with a polled time-out, an
// abstract thread, and a few file-system and time helpers. None of them
// throws or prints; failures are their results.
#pragma once

#include <pthread.h>
#include <semaphore.h>

#include <atomic>
#include <ctime>
#include <string>

namespace marvlog {

class LockHelper {
 public:
  LockHelper();
  virtual ~LockHelper();
  LockHelper(const LockHelper&) = delete;
  LockHelper& operator=(const LockHelper&) = delete;

  void lock();
  void unLock();

 private:
  pthread_mutex_t mutex_;
};

class AutoLock {
 public:
  explicit AutoLock(LockHelper& lock) : lock_(lock) { lock_.lock(); }
  ~AutoLock() { lock_.unLock(); }
  AutoLock(const AutoLock&) = delete;
  AutoLock& operator=(const AutoLock&) = delete;

 private:
  LockHelper& lock_;
};

class SemHelper {
 public:
  SemHelper() = default;
  virtual ~SemHelper();
  SemHelper(const SemHelper&) = delete;
  SemHelper& operator=(const SemHelper&) = delete;

  // (Re)initialises the semaphore; a negative count is taken as 0.
  bool create(int initial);
  // timeoutMs <= 0 blocks; otherwise polls every 50 ms against a monotonic
  // deadline, so a step of the wall clock neither cuts the wait short nor
  // stretches it.
  bool wait(int timeoutMs);
  bool post();

 private:
  sem_t sem_{};
  bool created_ = false;
};

class ThreadHelper {
 public:
  ThreadHelper() = default;
  virtual ~ThreadHelper() = default;
  ThreadHelper(const ThreadHelper&) = delete;
  ThreadHelper& operator=(const ThreadHelper&) = delete;

  // Creates a joinable thread that calls run(). Refuses while a thread
  // started earlier has not been collected by wait().
  bool start();
  bool wait();
  bool isStarted() const { return started_.load(std::memory_order_acquire); }

  virtual void run() = 0;

 private:
  static void* threadProc(void* self);

  pthread_t thread_{};
  std::atomic<bool> started_{false};
};

// An open file descriptor, closed with its owner; -1 holds none.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  void reset(int fd);

 private:
  int fd_;
};

// A directory descriptor for openat and mkdirat (O_PATH: no read permission
// needed): `name` under the directory `parent` (or AT_FDCWD), made first
// (mode 0777 less the umask) when missing. With noFollow a symbolic link
// there is refused. -1 on failure.
int openDirectoryAt(int parent, const char* name, bool create, bool noFollow);

void sleepMillisecond(unsigned int ms);
// Local broken-down time of t (re-entrant conversion); zero-filled first.
struct tm timeToTm(time_t t);
// Backslashes become slashes and a trailing slash is added; "" stays "".
void fixPath(std::string& path);
bool isDirectory(std::string path);
// Creates every missing directory of path; true if all exist afterwards.
bool createRecursionDir(std::string path);

}  // namespace marvlog
