#include "logging/marvlog.h"

#include <cstdarg>
#include <cstdio>

#include "logging/LogManager.h"

namespace marvlog {

const char* const LOG_STRING[detail::LOG_LEVEL_COUNT] = {"LOG_TRACE", "LOG_DEBUG", "LOG_INFO ", "LOG_WARN ",
                                                         "LOG_ERROR", "LOG_ALARM", "LOG_FATAL"};

const uint64_t LOG_STRING_LEN[detail::LOG_LEVEL_COUNT] = {9, 9, 8, 8, 9, 9, 9};

const char LOG_COLOR[detail::LOG_LEVEL_COUNT][50] = {"\033[0m",  "\033[0m",  "\033[34m\033[1m", "\033[33m",
                                                     "\033[31m", "\033[32m", "\033[35m"};

ILogManager* ILogManager::getInstance() {
  // Built once, thread-safely, on first use; its destructor stops the
  // writer thread at process exit.
  static LogManager manager;
  return &manager;
}

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
