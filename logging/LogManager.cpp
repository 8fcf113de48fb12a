// The logger table: construction, creating and finding loggers, and the
// per-setting operations.
#include "logging/LogManager.h"

#include <climits>

#include "logging/ConfigParser.h"

namespace marvlog {

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
}  // namespace

LogManager::LogManager() {
  LoggerInfo& main = loggers[MARVLOG_MAIN_LOGGER_ID];
  main.enable.store(true, kRelaxed);
  main.key = MARVLOG_MAIN_LOGGER_KEY;
  main.name = MARVLOG_MAIN_LOGGER_KEY;
  loggerIds[MARVLOG_MAIN_LOGGER_KEY] = MARVLOG_MAIN_LOGGER_ID;
  recordPool.reserve(detail::MARVLOG_RECORD_POOL_MAX);
}

LogManager::~LogManager() {
  stop();
  for (LogData* record : recordPool) free(record);
  recordPool.clear();
}

int LogManager::createLogger(const char* key) {
  if (key == nullptr) return MARVLOG_INVALID_LOGGER_ID;
  std::string trimmed = key;
  trimLogConfig(trimmed, "");
  // A logger's key is also its first file name; an empty one names nothing.
  if (trimmed.empty()) return MARVLOG_INVALID_LOGGER_ID;
  AutoLock guard(queueLock);
  auto found = loggerIds.find(trimmed);
  if (found != loggerIds.end()) return found->second;
  const int32_t last = lastId.load(kRelaxed);
  if (last + 1 > MARVLOG_LOGGER_MAX - 1) {
    showColorText("marvlog: CreateLogger can not create|writeover, because loggerid need < LOGGER_MAX! \r\n",
                  LOG_FATAL);
    return MARVLOG_INVALID_LOGGER_ID;
  }
  const int32_t id = last + 1;
  LoggerInfo& logger = loggers[id];
  logger.key = trimmed;
  logger.name = trimmed;
  logger.enable.store(true, kRelaxed);
  loggerIds[trimmed] = id;
  // Publish the id only once its entry is complete.
  lastId.store(id, std::memory_order_release);
  return id;
}

int LogManager::findLogger(const char* key) {
  if (key == nullptr) return MARVLOG_INVALID_LOGGER_ID;
  AutoLock guard(queueLock);
  auto found = loggerIds.find(key);
  return found == loggerIds.end() ? MARVLOG_INVALID_LOGGER_ID : found->second;
}

bool LogManager::enableLogger(int id, bool enable) {
  if (!validId(id)) return false;
  if (enable) {
    loggers[id].enable.store(true, kRelaxed);
    return true;
  }
  return hotChange(id, LOG_DATA_ENABLE, 0, "");
}

bool LogManager::setLoggerName(int id, const char* name) {
  if (!validId(id) || name == nullptr || name[0] == '\0') return false;
  return hotChange(id, LOG_DATA_NAME, 0, name);
}

bool LogManager::setLoggerPath(int id, const char* path) {
  if (!validId(id) || path == nullptr || path[0] == '\0') return false;
  std::string fixed = path;
  if (fixed.back() != '/' && fixed.back() != '\\') fixed.push_back('/');
  return hotChange(id, LOG_DATA_PATH, 0, fixed);
}

bool LogManager::setLoggerLevel(int id, int level) {
  if (!validId(id)) return false;
  if (level <= loggers[id].level.load(kRelaxed)) {
    loggers[id].level.store(level, kRelaxed);
    return true;
  }
  return hotChange(id, LOG_DATA_LEVEL, level, "");
}

bool LogManager::setLoggerFileLine(int id, bool enable) {
  return hotChange(id, LOG_DATA_FILELINE, enable, "");
}
bool LogManager::setLoggerDisplay(int id, bool enable) {
  return hotChange(id, LOG_DATA_DISPLAY, enable, "");
}
bool LogManager::setLoggerOutFile(int id, bool enable) {
  return hotChange(id, LOG_DATA_OUTFILE, enable, "");
}
bool LogManager::setLoggerMonthdir(int id, bool enable) {
  return hotChange(id, LOG_DATA_MONTHDIR, enable, "");
}

bool LogManager::setLoggerLimitsize(int id, unsigned int limitsize) {
  if (limitsize == 0) limitsize = 4294967295U;
  return hotChange(id, LOG_DATA_LIMITSIZE, static_cast<int>(limitsize), "");
}

bool LogManager::setLoggerReserveTime(int id, long seconds) {
  // Saturate rather than wrap: a wrapped huge retention could come out as a
  // few seconds and delete every old file.
  if (seconds > INT_MAX) seconds = INT_MAX;
  if (seconds < INT_MIN) seconds = INT_MIN;
  return hotChange(id, LOG_DATA_RESERVE, static_cast<int>(seconds), "");
}

bool LogManager::hotChange(int id, LogDataType type, int value, const std::string& text) {
  if (!validId(id)) return false;
  if (text.size() > static_cast<size_t>(MARVLOG_LOG_BUF_SIZE - 1)) return false;
  return onHotChange(id, type, value, text);
}

bool LogManager::onHotChange(int id, LogDataType type, int value, const std::string& text) {
  if (!validId(id)) return false;
  LoggerInfo& logger = loggers[id];
  // Lines read name, path and the file settings under queueLock.
  AutoLock guard(queueLock);
  switch (type) {
    case LOG_DATA_ENABLE:
      logger.enable.store(value != 0, kRelaxed);
      break;
    case LOG_DATA_NAME:
      logger.name = text;
      break;
    case LOG_DATA_PATH:
      logger.path = text;
      break;
    case LOG_DATA_LEVEL:
      logger.level.store(value, kRelaxed);
      break;
    case LOG_DATA_FILELINE:
      logger.fileline.store(value != 0, kRelaxed);
      break;
    case LOG_DATA_DISPLAY:
      logger.display.store(value != 0, kRelaxed);
      break;
    case LOG_DATA_OUTFILE:
      logger.outfile.store(value != 0, kRelaxed);
      break;
    case LOG_DATA_LIMITSIZE:
      logger.limitsize = static_cast<uint32_t>(value);
      break;
    case LOG_DATA_MONTHDIR:
      logger.monthdir = value != 0;
      break;
    case LOG_DATA_RESERVE:
      logger.reserveTime = value < 0 ? 0 : value;
      break;
    default:
      break;
  }
  return true;
}

bool LogManager::isLoggerEnable(int id) {
  return validId(id) && loggers[id].enable.load(kRelaxed);
}

uint64_t LogManager::getStatusTotalWriteCount() {
  return totalWrites.load(kRelaxed);
}
uint64_t LogManager::getStatusTotalWriteBytes() {
  return totalWriteBytes.load(kRelaxed);
}
// Lines are written by the thread that logs them; nothing is queued.
uint64_t LogManager::getStatusTotalPushQueue() {
  return 0;
}
uint64_t LogManager::getStatusTotalPopQueue() {
  return 0;
}

uint32_t LogManager::getStatusActiveLoggers() {
  uint32_t active = 0;
  const int32_t last = lastId.load(std::memory_order_acquire);
  for (int32_t id = 0; id <= last; ++id) {
    if (loggers[id].enable.load(kRelaxed)) ++active;
  }
  return active;
}

LoggerInfo LogManager::getLoggerInfo(int id) {
  if (!validId(id)) return LoggerInfo();
  AutoLock guard(queueLock);
  return loggers[id];
}

void LogManager::showColorText(const char* text, int level) {
  (void)text;
  (void)level;
}

}  // namespace marvlog
