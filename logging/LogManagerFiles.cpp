// Opening and closing a logger's file: day and size bookkeeping, month
// directories, and the clean-up of files older than the retention time.
#include <fcntl.h>

#include <cstdio>
#include <ctime>

#include "logging/LogManager.h"

namespace marvlog {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

// Local midnight that starts the day of t, and the one that ends it. Days
// with a daylight-saving change are 23 or 25 hours long.
void localDayBounds(int64_t t, int64_t* dayStart, int64_t* dayEnd) {
  struct tm day = timeToTm(static_cast<time_t>(t));
  day.tm_hour = 0;
  day.tm_min = 0;
  day.tm_sec = 0;
  day.tm_isdst = -1;
  struct tm next = day;
  *dayStart = static_cast<int64_t>(mktime(&day));
  next.tm_mday += 1;
  next.tm_isdst = -1;
  *dayEnd = static_cast<int64_t>(mktime(&next));
  if (*dayEnd <= *dayStart) *dayEnd = *dayStart + 86400;
}

}  // namespace

bool LogManager::openLogger(LogData* record) {
  if (record == nullptr || !validId(record->id)) {
    showColorText("marvlog: openLogger can not open, invalid logger id! \r\n", LOG_FATAL);
    return false;
  }
  LoggerInfo& logger = loggers[record->id];
  if (!logger.enable.load(kRelaxed) || !logger.outfile.load(kRelaxed) ||
      record->level < logger.level.load(kRelaxed)) {
    return false;
  }
  const bool sameDay = record->time >= logger.fileDayStart && record->time < logger.fileDayEnd;
  const uint64_t limitBytes = static_cast<uint64_t>(logger.limitsize) << 20;
  const bool overSize = logger.writtenBytes > limitBytes;
  if (!sameDay || overSize) {
    if (!sameDay) {
      logger.fileIndex = 0;
    } else {
      logger.fileIndex += 1;
    }
    logger.handle.close();
  }
  if (logger.handle.isOpen()) return true;

  logger.fileOpenTime = record->time;
  logger.writtenBytes = 0;
  localDayBounds(record->time, &logger.fileDayStart, &logger.fileDayEnd);
  // The directory is created in its normalised form (backslashes as
  // slashes), so the file must be opened under that same form.
  std::string directory = logger.path;
  fixPath(directory);
  const std::string fileName = logger.name + ".log";
  char month[32] = "";
  if (logger.monthdir) {
    const struct tm when = timeToTm(static_cast<time_t>(record->time));
    std::snprintf(month, sizeof(month), "%04d_%02d", when.tm_year + 1900, when.tm_mon + 1);
  }
  const std::string fullPath = directory + (logger.monthdir ? std::string(month) + "/" : "") + fileName;
  if (fullPath.size() >= detail::MARVLOG_MAX_FILE_PATH) {
    openFailed(logger, fullPath);
    return false;
  }
  // The path is the logger's owner's choice and may lead through links.
  // Below it, in a directory others may write (/tmp), a link planted as the
  // month directory or the file must not carry the log elsewhere: both are
  // opened from their parent's descriptor without following one.
  if (!isDirectory(directory)) createRecursionDir(directory);
  FileDescriptor parent(openDirectoryAt(AT_FDCWD, directory.c_str(), false, false));
  if (logger.monthdir && parent.get() >= 0) parent.reset(openDirectoryAt(parent.get(), month, true, true));
  const long size = parent.get() < 0 ? -1 : logger.handle.openAt(parent.get(), fileName.c_str(), "ab");
  if (!logger.handle.isOpen() || size < 0) {
    logger.handle.close();
    openFailed(logger, fullPath);
    return false;
  }
  logger.writtenBytes = static_cast<uint64_t>(size);
  if (logger.reserveTime > 0) cleanHistory(logger, fullPath);
  return true;
}

void LogManager::openFailed(LoggerInfo& logger, const std::string& fullPath) {
  char message[detail::MARVLOG_MAX_FILE_PATH + 64];
  showColorText("!!!!!!!!!!!!!!!!!!!!!!!!!! \r\n", LOG_FATAL);
  std::snprintf(message, sizeof(message), "marvlog: can not open log file %s. \r\n", fullPath.c_str());
  showColorText(message, LOG_FATAL);
  showColorText("!!!!!!!!!!!!!!!!!!!!!!!!!! \r\n", LOG_FATAL);
  logger.outfile.store(false, kRelaxed);
}

void LogManager::cleanHistory(LoggerInfo& logger, const std::string& fullPath) {
  const int64_t now = wallClock().sec;
  auto& history = logger.history;
  while (history.size() > MARVLOG_FORCE_RESERVE_FILE_COUNT &&
         history.front().first < now - logger.reserveTime) {
    // The file just opened may sit in an old entry (a name used again, or a
    // clock set back); it is being written, so only its entry goes.
    if (history.front().second != fullPath) LogFileHandler::removeFile(history.front().second);
    history.pop_front();
  }
  if (history.empty() || history.back().second != fullPath) history.emplace_back(now, fullPath);
}

bool LogManager::closeLogger(int id) {
  if (!validId(id)) {
    showColorText("marvlog: closeLogger can not close, invalid logger id! \r\n", LOG_FATAL);
    return false;
  }
  LogFileHandler& handle = loggers[id].handle;
  if (!handle.isOpen()) return false;
  handle.close();
  return true;
}

}  // namespace marvlog
