// One logger's settings and file state.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <string>
#include <utility>

#include "logging/LogFileHandler.h"

namespace marvlog {

// Defaults of a logger's settings.
constexpr const char* MARVLOG_DEFAULT_PATH = "./log/";
constexpr int MARVLOG_DEFAULT_LEVEL = 1;
constexpr bool MARVLOG_DEFAULT_DISPLAY = true;
constexpr bool MARVLOG_DEFAULT_OUTFILE = true;
constexpr bool MARVLOG_DEFAULT_MONTHDIR = false;
constexpr unsigned int MARVLOG_DEFAULT_LIMITSIZE = 100;
constexpr bool MARVLOG_DEFAULT_SHOWSUFFIX = true;

// The switches that logging threads read without a lock are atomics; the
// rest is changed and read under the manager's queueLock.
struct LoggerInfo {
  std::string key;
  std::string name;
  std::string path = MARVLOG_DEFAULT_PATH;
  std::atomic<int32_t> level{MARVLOG_DEFAULT_LEVEL};
  std::atomic<bool> display{MARVLOG_DEFAULT_DISPLAY};
  std::atomic<bool> outfile{MARVLOG_DEFAULT_OUTFILE};
  bool monthdir = MARVLOG_DEFAULT_MONTHDIR;
  uint32_t limitsize = MARVLOG_DEFAULT_LIMITSIZE;
  std::atomic<bool> enable{false};
  std::atomic<bool> fileline{MARVLOG_DEFAULT_SHOWSUFFIX};
  int64_t reserveTime = 0;
  int64_t fileOpenTime = 0;
  int64_t fileDayStart = 0;
  // Local midnight that ends the current file's day; days are not always
  // 86400 seconds long.
  int64_t fileDayEnd = 0;
  uint32_t fileIndex = 0;
  uint64_t writtenBytes = 0;
  LogFileHandler handle;
  std::list<std::pair<int64_t, std::string>> history;

  LoggerInfo() = default;
  LoggerInfo(const LoggerInfo& other) { *this = other; }
  LoggerInfo& operator=(const LoggerInfo& other);
};

}  // namespace marvlog
