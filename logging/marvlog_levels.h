// Constants, level scale and level name tables shared by every part of the
// logging library and by its callers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace marvlog {

constexpr int MARVLOG_INVALID_LOGGER_ID = -1;
constexpr int MARVLOG_MAIN_LOGGER_ID = 0;
constexpr const char* MARVLOG_MAIN_LOGGER_KEY = "Main";
constexpr int MARVLOG_LOGGER_MAX = 20;
constexpr int MARVLOG_LOG_BUF_SIZE = 8192;
constexpr bool MARVLOG_ALL_SYNCHRONOUS_OUTPUT = true;

// Defaults of a logger's settings.
constexpr const char* MARVLOG_DEFAULT_PATH = "./log/";
constexpr int MARVLOG_DEFAULT_LEVEL = 1;
constexpr bool MARVLOG_DEFAULT_DISPLAY = true;
constexpr bool MARVLOG_DEFAULT_OUTFILE = true;
constexpr bool MARVLOG_DEFAULT_MONTHDIR = false;
constexpr unsigned int MARVLOG_DEFAULT_LIMITSIZE = 100;
constexpr bool MARVLOG_DEFAULT_SHOWSUFFIX = true;

// The history clean-up never deletes the newest file it knows of.
constexpr uint64_t MARVLOG_FORCE_RESERVE_FILE_COUNT = 1;
// Records kept for reuse once released.
constexpr std::size_t MARVLOG_RECORD_POOL_MAX = 200;
// Longest full log file path (directory, month directory and name.log) the
// library will open; longer ones are refused like any other open failure.
constexpr std::size_t MARVLOG_MAX_FILE_PATH = 500;
// Largest configuration file read; bigger files are refused unread.
constexpr std::size_t MARVLOG_CONFIG_MAX_BYTES = 1024 * 1024;
// Period of the writer thread's cycle.
constexpr unsigned MARVLOG_WRITER_CYCLE_MS = 50;
// How long start() waits for the writer thread to announce itself.
constexpr int MARVLOG_START_TIMEOUT_MS = 3000;

// Levels are plain ints; a logger passes a record whose level is at least
// the logger's own level.
constexpr int LOG_TRACE = 0;
constexpr int LOG_DEBUG = 1;
constexpr int LOG_INFO = 2;
constexpr int LOG_WARN = 3;
constexpr int LOG_ERROR = 4;
constexpr int LOG_ALARM = 5;
constexpr int LOG_FATAL = 6;
constexpr int LOG_LEVEL_COUNT = 7;

inline bool isValidLevel(int level) {
  return level >= LOG_TRACE && level <= LOG_FATAL;
}

// Indexed by level. The stored names are 9 characters; LOG_STRING_LEN says
// how many of them a line carries (8 for LOG_INFO and LOG_WARN, which drops
// their padding blank).
extern const char* const LOG_STRING[LOG_LEVEL_COUNT];
extern const uint64_t LOG_STRING_LEN[LOG_LEVEL_COUNT];
extern const char LOG_COLOR[LOG_LEVEL_COUNT][50];

}  // namespace marvlog
