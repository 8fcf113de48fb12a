#include "logging/log_statement.h"

#include <cstdarg>
#include <cstdio>

namespace marvlog {

void appendFormat(LogData* record, const char* format, ...) {
  if (record == nullptr || format == nullptr) return;
  if (record->contentLen < 0 || record->contentLen > MARVLOG_LOG_BUF_SIZE) return;
  const int room = MARVLOG_LOG_BUF_SIZE - record->contentLen;
  if (room <= 0) return;
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(record->content + record->contentLen, static_cast<size_t>(room), format, args);
  va_end(args);
  if (n < 0) n = 0;
  if (n > room) n = room;
  record->contentLen += n;
}

LogLine::LogLine(ILogManager* manager, int id, int level, const char* file, int line)
    : manager_(manager), record_(nullptr), file_(file), line_(line), stream_(nullptr, 0) {
  if (manager_ == nullptr || !manager_->prePushLog(id, level)) return;
  record_ = manager_->makeLogData(id, level);
  if (record_ == nullptr) return;
  stream_ = LogStream(record_->content + record_->contentLen, MARVLOG_LOG_BUF_SIZE - record_->contentLen);
}

LogLine::~LogLine() {
  if (record_ == nullptr) return;
  record_->contentLen += stream_.getCurrentLen();
  manager_->pushLog(record_, file_, line_);
}

}  // namespace marvlog
