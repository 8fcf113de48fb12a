// The log record, the kinds of settings change, and one logger's settings
// and file state.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <string>
#include <utility>

#include "logging/log_file_handler.h"
#include "logging/marvlog_levels.h"

namespace marvlog {

enum LogDataType : int32_t {
  LOG_DATA_RECORD = 0,
  LOG_DATA_ENABLE = 1,
  LOG_DATA_NAME = 2,
  LOG_DATA_PATH = 3,
  LOG_DATA_LEVEL = 4,
  LOG_DATA_FILELINE = 5,
  LOG_DATA_DISPLAY = 6,
  LOG_DATA_OUTFILE = 7,
  LOG_DATA_LIMITSIZE = 8,
  LOG_DATA_MONTHDIR = 9,
  LOG_DATA_RESERVE = 10,
};

// One log record: a header and the line's text. Allocated as one block of
// sizeof(LogData) + MARVLOG_LOG_BUF_SIZE - 1 bytes, so that content holds
// MARVLOG_LOG_BUF_SIZE bytes. content is not NUL-terminated while a call
// site writes it.
struct LogData {
  int32_t id;
  int32_t type;
  int32_t typeValue;
  int32_t level;
  int64_t time;
  uint32_t millis;
  uint32_t threadId;
  int32_t contentLen;
  char content[1];
};

constexpr size_t MARVLOG_RECORD_BLOCK_SIZE = sizeof(LogData) + MARVLOG_LOG_BUF_SIZE - 1;

// One logger. The switches that logging threads read without a lock are
// atomics; the rest is changed and read under the manager's queueLock.
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
