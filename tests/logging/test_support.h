// Shared pieces of the logging tests: a private temporary directory, file
// reading, a fixed clock and thread id, and time-zone helpers.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "logging/ConfigParser.h"
#include "logging/LocalClock.h"
#include "logging/LogManager.h"

namespace marvlog_test {

class TempDir {
 public:
  // Under base when given and writable, else under TMPDIR or /tmp.
  explicit TempDir(const char* base = nullptr) {
    if (base == nullptr || access(base, W_OK) != 0) base = getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/marvlog-test-XXXXXX";
    if (mkdtemp(&pattern[0]) != nullptr) path_ = pattern;
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

// One line of a logger's settings, for comparing against expectations.
inline std::string describe(const marvlog::LoggerInfo& l) {
  std::ostringstream out;
  out << "key=" << l.key << " name=" << l.name << " path=" << l.path << " level=" << l.level.load()
      << " display=" << l.display.load() << " outfile=" << l.outfile.load() << " monthdir=" << l.monthdir
      << " limitsize=" << l.limitsize << " enable=" << l.enable.load() << " fileline=" << l.fileline.load()
      << " reserve=" << l.reserveTime;
  return out.str();
}

inline std::atomic<int64_t> fixedSeconds{0};
inline std::atomic<uint32_t> fixedMicros{0};
inline std::atomic<uint32_t> fixedThread{4567};
inline marvlog::detail::WallTime fixedClock() {
  return marvlog::detail::WallTime{fixedSeconds.load(), fixedMicros.load()};
}
inline uint32_t fixedThreadId() {
  return fixedThread.load();
}

// A fresh thread has an empty local-time cache, so it cannot see an hour
// cached under another zone.
template <typename F>
void onFreshThread(F f) {
  std::thread(f).join();
}

inline void setZone(const char* zone) {
  setenv("TZ", zone, 1);
  tzset();
}

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
