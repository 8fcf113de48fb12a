// marvlog: the logging library of rastertomarvik. This header is all that a
// program that logs needs:
//
//   auto& log = marvlog::ILogManager::getRef();
//   log.setLoggerPath(marvlog::MARVLOG_MAIN_LOGGER_ID, "/tmp");
//   log.setLoggerName(marvlog::MARVLOG_MAIN_LOGGER_ID, "app");
//   log.start();
//   MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "len: %d", len);
//   MARVLOG_STREAM(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_INFO) << "pages " << n;
//
// The manager's own workings (logger table, files, writer thread,
// configuration parser) are in logging/LogManager.h and need not be seen by
// callers.
#pragma once

#include <cstdint>

#include "logging/LogStream.h"

namespace marvlog {

namespace detail {
constexpr int LOG_LEVEL_COUNT = 7;
}  // namespace detail

constexpr int MARVLOG_INVALID_LOGGER_ID = -1;
constexpr int MARVLOG_MAIN_LOGGER_ID = 0;
constexpr const char* MARVLOG_MAIN_LOGGER_KEY = "Main";
constexpr int MARVLOG_LOGGER_MAX = 20;
constexpr int MARVLOG_LOG_BUF_SIZE = 8192;
constexpr bool MARVLOG_ALL_SYNCHRONOUS_OUTPUT = true;

// Levels are plain ints; a logger passes a record whose level is at least
// the logger's own level.
constexpr int LOG_TRACE = 0;
constexpr int LOG_DEBUG = 1;
constexpr int LOG_INFO = 2;
constexpr int LOG_WARN = 3;
constexpr int LOG_ERROR = 4;
constexpr int LOG_ALARM = 5;
constexpr int LOG_FATAL = 6;

// Indexed by level. The stored names are 9 characters; LOG_STRING_LEN says
// how many of them a line carries (8 for LOG_INFO and LOG_WARN, which drops
// their padding blank).
extern const char* const LOG_STRING[detail::LOG_LEVEL_COUNT];
extern const uint64_t LOG_STRING_LEN[detail::LOG_LEVEL_COUNT];
extern const char LOG_COLOR[detail::LOG_LEVEL_COUNT][50];

// The kind of a record, or of a settings change.
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

class ILogManager {
 public:
  // The manager of the process, created on first use and stopped at exit.
  static ILogManager* getInstance();
  static ILogManager& getRef() { return *getInstance(); }
  static ILogManager* getPtr() { return getInstance(); }

  virtual ~ILogManager() = default;
  virtual bool config(const char* file) = 0;
  virtual bool configFromString(const char* text) = 0;
  virtual int createLogger(const char* key) = 0;
  virtual bool start() = 0;
  virtual bool stop() = 0;
  virtual int findLogger(const char* key) = 0;
  virtual bool prePushLog(int id, int level) = 0;
  virtual bool pushLog(LogData* record, const char* file, int line) = 0;
  virtual bool enableLogger(int id, bool enable) = 0;
  virtual bool setLoggerName(int id, const char* name) = 0;
  virtual bool setLoggerPath(int id, const char* path) = 0;
  virtual bool setLoggerLevel(int id, int level) = 0;
  virtual bool setLoggerFileLine(int id, bool enable) = 0;
  virtual bool setLoggerDisplay(int id, bool enable) = 0;
  virtual bool setLoggerOutFile(int id, bool enable) = 0;
  virtual bool setLoggerLimitsize(int id, unsigned int limitsize) = 0;
  virtual bool setLoggerMonthdir(int id, bool enable) = 0;
  virtual bool setLoggerReserveTime(int id, long seconds) = 0;
  virtual bool setAutoUpdate(int interval) = 0;
  virtual bool updateConfig() = 0;
  virtual bool isLoggerEnable(int id) = 0;
  virtual uint64_t getStatusTotalWriteCount() = 0;
  virtual uint64_t getStatusTotalWriteBytes() = 0;
  virtual uint64_t getStatusTotalPushQueue() = 0;
  virtual uint64_t getStatusTotalPopQueue() = 0;
  virtual uint32_t getStatusActiveLoggers() = 0;
  // A record with its line prefix written, or null when no memory could be
  // had (the statement is then dropped).
  virtual LogData* makeLogData(int id, int level) = 0;
  virtual void freeLogData(LogData* record) = 0;
  // Like configFromString, except that a section changes only the settings
  // it names and leaves the others as they are (configFromString sets them
  // to their defaults). For settings laid over a program's own, such as an
  // administrator's file.
  virtual bool mergeConfigFromString(const char* text) = 0;
};

// The two halves of a log statement, for the macros below and for callers
// that name their own source file.

// printf-style message appended to a record, bounded by the room left. A
// message that does not fit keeps what fits and uses up the room.
void appendFormat(LogData* record, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A streamed statement: accepted or not at construction, written at the end
// of the full expression that holds it.
class LogLine {
 public:
  LogLine(ILogManager* manager, int id, int level, const char* file, int line);
  ~LogLine();
  LogLine(const LogLine&) = delete;
  LogLine& operator=(const LogLine&) = delete;

  bool active() const { return record_ != nullptr; }
  LogStream& stream() { return stream_; }

 private:
  ILogManager* manager_;
  LogData* record_;
  const char* file_;
  int line_;
  LogStream stream_;
};

}  // namespace marvlog

// MARVLOG_FMT(id, level, fmt, ...): a printf-style line to logger id of the
// process manager. The message arguments are evaluated only when the logger
// accepts the level.
#define MARVLOG_FMT(id, level, ...) MARVLOG_FMT_TO(::marvlog::ILogManager::getPtr(), id, level, __VA_ARGS__)

#define MARVLOG_FMT_TO(manager, id, level, ...)                                              \
  do {                                                                                       \
    ::marvlog::ILogManager* marvlogMgr_ = (manager);                                         \
    const int marvlogId_ = (id);                                                             \
    const int marvlogLevel_ = (level);                                                       \
    if (marvlogMgr_->prePushLog(marvlogId_, marvlogLevel_)) {                                \
      ::marvlog::LogData* marvlogRec_ = marvlogMgr_->makeLogData(marvlogId_, marvlogLevel_); \
      if (marvlogRec_ != nullptr) {                                                          \
        ::marvlog::appendFormat(marvlogRec_, __VA_ARGS__);                                   \
        marvlogMgr_->pushLog(marvlogRec_, __FILE__, __LINE__);                               \
      }                                                                                      \
    }                                                                                        \
  } while (0)

// MARVLOG_STREAM(id, level) << a << b; a streamed line; the operands are
// evaluated only when the logger accepts the level.
#define MARVLOG_STREAM(id, level) MARVLOG_STREAM_TO(::marvlog::ILogManager::getPtr(), id, level)

#define MARVLOG_STREAM_TO(manager, id, level)                                        \
  if (::marvlog::LogLine marvlogLine_{(manager), (id), (level), __FILE__, __LINE__}; \
      !marvlogLine_.active()) {                                                      \
  } else                                                                             \
    marvlogLine_.stream()
