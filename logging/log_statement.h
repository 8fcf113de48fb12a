// The one-line log statement: ask the manager, take a record, write the
// message behind the prefix, hand the record back with the call site.
#pragma once

#include "logging/log_manager.h"
#include "logging/log_stream.h"

namespace marvlog {

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
