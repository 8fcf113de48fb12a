// Shared pieces of the logging tests: a private directory, file reading, a started manager.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "logging/LogManager.h"

namespace marvik::test {

// A directory under base (when writable) or /tmp, removed with its contents.
struct TempDir {
  explicit TempDir(const char* base = "/tmp") {
    path = std::string(access(base, W_OK) == 0 ? base : "/tmp") + "/marvlog-test-XXXXXX";
    if (mkdtemp(&path[0]) == nullptr) path.clear();
  }
  ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string file(const std::string& name) const { return path + "/" + name; }
  std::string path;
};

inline std::string readFile(const std::string& path) {
  std::ostringstream out;
  out << std::ifstream(path, std::ios::binary).rdbuf();
  return out.str();
}

inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0, at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  return lines;
}

inline std::string describe(const marvlog::LoggerInfo& l) {
  std::ostringstream out;
  out << l.key << " " << l.name << " " << l.path << " level=" << l.level << " display=" << l.display
      << " outfile=" << l.outfile << " monthdir=" << l.monthdir << " size=" << l.limitsize
      << " enable=" << l.enable << " fileline=" << l.fileline << " reserve=" << l.reserveTime;
  return out.str();
}

inline int64_t utc(int year, int month, int day, int hour, int minute, int second) {
  struct tm t = {second, minute, hour, day, month - 1, year - 1900, 0, 0, 0, 0, nullptr};
  return static_cast<int64_t>(timegm(&t));
}

inline std::atomic<int64_t> fixedSeconds{0};
inline std::atomic<uint32_t> fixedMicros{0};
inline std::atomic<uint32_t> fixedThread{0};

// A started manager with logger "app" (id 1) logging every level to a private directory, the main
// logger off; records carry the fixed clock and thread id above, local time is UTC unless TZ is set.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC0", 1);
    tzset();
    fixedMicros = 0;
    fixedThread = 4567;
    manager.setClock([] { return marvlog::detail::WallTime{fixedSeconds, fixedMicros}; });
    manager.setThreadIdSource([] { return fixedThread.load(); });
    manager.enableLogger(0, false);
    manager.createLogger("app");
    manager.setLoggerPath(id, dir.path.c_str());
    manager.setLoggerLevel(id, marvlog::LOG_TRACE);
    ASSERT_TRUE(manager.start());
  }

  // One statement made at the given time; the bytes it added to app.log.
  std::string logAt(int64_t seconds, const std::string& text, int level = marvlog::LOG_INFO,
                    const char* file = "f") {
    const size_t before = readFile(dir.file("app.log")).size();
    fixedSeconds = seconds;
    if (manager.prePushLog(id, level)) {
      marvlog::LogData* record = manager.makeLogData(id, level);
      marvlog::appendFormat(record, "%s", text.c_str());
      manager.pushLog(record, file, 1);
    }
    return readFile(dir.file("app.log")).substr(before);
  }
  marvlog::LoggerInfo info() { return manager.getLoggerInfo(id); }

  TempDir dir;
  marvlog::LogManager manager;
  const int id = 1;
};

}  // namespace marvik::test
