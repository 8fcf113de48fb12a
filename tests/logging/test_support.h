// Shared pieces of the logging tests: a private temporary directory, file
// reading, and a fixed clock and thread id for byte-exact lines.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "logging/marvlog.h"

namespace marvlog_test {

class TempDir {
 public:
  // Under TMPDIR (or /tmp), or under base when one is given and writable.
  explicit TempDir(const char* base = nullptr) {
    if (base == nullptr || access(base, W_OK) != 0) base = getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/marvlog-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
  }
  ~TempDir() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline bool fileExists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, at - start));
    start = at + 2;
  }
  return lines;
}

// A clock the test moves by hand.
inline std::atomic<int64_t> fixedSeconds{0};
inline std::atomic<uint32_t> fixedMicros{0};
inline std::atomic<uint32_t> fixedThread{4567};
inline marvlog::WallTime fixedClock() {
  return marvlog::WallTime{fixedSeconds.load(), fixedMicros.load()};
}
inline uint32_t fixedThreadId() {
  return fixedThread.load();
}

// Runs f on a fresh thread, whose local-time cache is empty: tests that set
// TZ must not see hours cached under another zone.
template <typename F>
void onFreshThread(F f) {
  std::thread worker(f);
  worker.join();
}

// Sets TZ for the process and applies it.
inline void setZone(const char* zone) {
  setenv("TZ", zone, 1);
  tzset();
}

// Local epoch seconds of a civil date and time in the current zone.
inline int64_t localEpoch(int year, int month, int day, int hour, int minute, int second) {
  struct tm t {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&t));
}

}  // namespace marvlog_test
