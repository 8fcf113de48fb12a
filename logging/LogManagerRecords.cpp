// The life of one log line: acceptance, the record and its prefix, the
// suffix and terminator, the write, and the record pool.
#include <pthread.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "logging/LocalClock.h"
#include "logging/LogManager.h"
#include "logging/LogStream.h"

namespace marvlog {

namespace detail {

WallTime systemWallTime() {
  struct timeval tv {};
  gettimeofday(&tv, nullptr);
  return WallTime{static_cast<int64_t>(tv.tv_sec), static_cast<uint32_t>(tv.tv_usec)};
}

namespace {

// The kernel thread id costs a system call, most of the price of a line;
// each thread asks once. A forked child's thread is a new kernel thread
// with the parent's thread-local values, so fork clears the cache.
thread_local uint32_t tlsThreadId = 0;

void forgetThreadId() {
  tlsThreadId = 0;
}

}  // namespace

uint32_t systemThreadId() {
  if (tlsThreadId == 0) {
    static const bool forkHandled = pthread_atfork(nullptr, nullptr, &forgetThreadId) == 0;
    (void)forkHandled;
    tlsThreadId = static_cast<uint32_t>(syscall(SYS_gettid));
  }
  return tlsThreadId;
}

}  // namespace detail

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

const char* baseName(const char* file) {
  const char* base = file;
  for (const char* p = file; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  return base;
}

void writePrefix(LogData* record) {
  const detail::LocalStamp t = detail::localStamp(record->time);
  LogStream out(record->content, MARVLOG_LOG_BUF_SIZE);
  out.writeULongLong(static_cast<unsigned>(t.year), 4, 10).writeChar('-');
  out.writeULongLong(static_cast<unsigned>(t.month), 2, 10).writeChar('-');
  out.writeULongLong(static_cast<unsigned>(t.day), 2, 10).writeChar(' ');
  out.writeULongLong(static_cast<unsigned>(t.hour), 2, 10).writeChar(':');
  out.writeULongLong(static_cast<unsigned>(t.minute), 2, 10).writeChar(':');
  out.writeULongLong(static_cast<unsigned>(t.second), 2, 10).writeChar('.');
  out.writeULongLong(record->millis, 3, 10).writeString(" [");
  out.writeULongLong(record->threadId, 4, 10).writeString("] ");
  out.writeString(LOG_STRING[record->level], LOG_STRING_LEN[record->level]).writeChar(' ');
  record->contentLen = out.getCurrentLen();
}

}  // namespace

bool LogManager::prePushLog(int id, int level) {
  if (!validId(id) || !detail::isValidLevel(level) || !running.load(kRelaxed)) return false;
  const LoggerInfo& logger = loggers[id];
  return logger.enable.load(kRelaxed) && level >= logger.level.load(kRelaxed);
}

LogData* LogManager::takePooled() {
  if (poolCount.load(kRelaxed) == 0) return nullptr;
  AutoLock guard(poolLock);
  if (recordPool.empty()) return nullptr;
  LogData* record = recordPool.back();
  recordPool.pop_back();
  poolCount.store(recordPool.size(), kRelaxed);
  return record;
}

LogData* LogManager::makeLogData(int id, int level) {
  // The level indexes the name tables; anything else has no line to make.
  if (!detail::isValidLevel(level)) return nullptr;
  LogData* record = takePooled();
  if (record == nullptr) {
    record = static_cast<LogData*>(std::malloc(detail::MARVLOG_RECORD_BLOCK_SIZE));
    if (record == nullptr) return nullptr;
    std::memset(record, 0, sizeof(LogData));
  }
  record->id = id;
  record->level = level;
  record->type = LOG_DATA_RECORD;
  record->typeValue = 0;
  record->contentLen = 0;
  const detail::WallTime now = wallClock();
  record->time = now.sec;
  record->millis = (now.usec / 1000) % 1000;
  record->threadId = threadIdSource();
  writePrefix(record);
  return record;
}

bool LogManager::pushLog(LogData* record, const char* file, int line) {
  if (record == nullptr) return false;
  const int id = record->id;
  if (!validId(id) || !detail::isValidLevel(record->level) || !running.load(kRelaxed) ||
      record->contentLen < 0 || record->contentLen > MARVLOG_LOG_BUF_SIZE) {
    freeLogData(record);
    return false;
  }
  LoggerInfo& logger = loggers[id];
  if (!logger.enable.load(kRelaxed) || record->level < logger.level.load(kRelaxed)) {
    freeLogData(record);
    return false;
  }
  if (logger.fileline.load(kRelaxed) && file != nullptr) {
    LogStream suffix(record->content + record->contentLen, MARVLOG_LOG_BUF_SIZE - record->contentLen);
    suffix.writeChar(' ').writeString(baseName(file)).writeChar(':');
    suffix.writeULongLong(static_cast<unsigned>(line), 0, 10);
    record->contentLen += suffix.getCurrentLen();
  }
  if (record->contentLen + 3 > MARVLOG_LOG_BUF_SIZE) record->contentLen = MARVLOG_LOG_BUF_SIZE - 3;
  record->content[record->contentLen] = '\r';
  record->content[record->contentLen + 1] = '\n';
  record->content[record->contentLen + 2] = '\0';
  record->contentLen += 2;
  if (logger.display.load(kRelaxed)) showColorText(record->content, record->level);
  if (logger.outfile.load(kRelaxed)) writeLine(record);
  freeLogData(record);
  return true;
}

void LogManager::writeLine(LogData* record) {
  AutoLock guard(queueLock);
  if (!openLogger(record)) return;
  LoggerInfo& logger = loggers[record->id];
  const size_t len = static_cast<size_t>(record->contentLen);
  logger.handle.write(record->content, len);
  // A short write has closed the file already; the line is not counted.
  if (!logger.handle.isOpen()) return;
  logger.writtenBytes += len;
  closeLogger(record->id);
  totalWrites.fetch_add(1, kRelaxed);
  totalWriteBytes.fetch_add(len, kRelaxed);
}

void LogManager::freeLogData(LogData* record) {
  if (record == nullptr) return;
  if (poolCount.load(kRelaxed) < detail::MARVLOG_RECORD_POOL_MAX) {
    AutoLock guard(poolLock);
    // The pool's room is reserved up front, so keeping a record never
    // allocates.
    if (recordPool.size() < detail::MARVLOG_RECORD_POOL_MAX) {
      recordPool.push_back(record);
      poolCount.store(recordPool.size(), kRelaxed);
      return;
    }
  }
  std::free(record);
}

}  // namespace marvlog
