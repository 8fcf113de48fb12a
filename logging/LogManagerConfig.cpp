// Applying a configuration text, from memory or from the configuration
// file, and reloading that file.
#include <cstring>

#include "logging/ConfigParser.h"
#include "logging/LogManager.h"

namespace marvlog {

bool LogManager::config(const char* file) {
  // An empty path names no file; it must not use up the one slot.
  if (file == nullptr || file[0] == '\0') return false;
  bool expected = false;
  if (!configClaimed.compare_exchange_strong(expected, true)) return false;
  configFile = file;
  configFileSet.store(true, std::memory_order_release);
  std::string text;
  if (!readConfigFile(&text)) return false;
  return configFromStringImpl(text, false);
}

bool LogManager::configFromString(const char* text) {
  if (text == nullptr) return false;
  return configFromStringImpl(text, false);
}

bool LogManager::mergeConfigFromString(const char* text) {
  if (text == nullptr) return false;
  return configFromStringImpl(text, false, true);
}

bool LogManager::updateConfig() {
  std::string text;
  if (!readConfigFile(&text)) return false;
  return configFromStringImpl(text, true);
}

bool LogManager::setAutoUpdate(int interval) {
  autoUpdateInterval.store(interval, std::memory_order_relaxed);
  return true;
}

bool LogManager::readConfigFile(std::string* text) {
  if (!configFileSet.load(std::memory_order_acquire)) return false;
  LogFileHandler file;
  if (file.open(configFile.c_str(), "rb") < 0) return false;
  bool tooBig = false;
  *text = file.readContent(detail::MARVLOG_CONFIG_MAX_BYTES, &tooBig);
  if (tooBig) return false;
  // The text ends at its first NUL byte.
  text->resize(std::strlen(text->c_str()));
  return true;
}

bool LogManager::configFromStringImpl(std::string text, bool isUpdate, bool namedOnly) {
  {
    // Compared and stored in one step, so that a reload on the writer
    // thread and a caller's text cannot both take themselves for new.
    AutoLock guard(configLock);
    if (text == appliedConfig && namedOnly == appliedNamedOnly) return true;
    appliedConfig = text;
    appliedNamedOnly = namedOnly;
  }
  std::map<std::string, LoggerInfo> sections;
  NamedSettings named;
  parseConfigFromString(text, sections, &named);
  for (const auto& entry : sections) {
    int id = findLogger(entry.first.c_str());
    if (id == MARVLOG_INVALID_LOGGER_ID) {
      if (isUpdate) continue;
      id = createLogger(entry.first.c_str());
      if (id == MARVLOG_INVALID_LOGGER_ID) continue;
    }
    const uint32_t keys = namedOnly ? named[entry.first] : ~0u;
    const auto given = [keys](LogDataType setting) { return (keys & namedBit(setting)) != 0; };
    const LoggerInfo& info = entry.second;
    if (given(LOG_DATA_ENABLE)) enableLogger(id, info.enable.load());
    if (given(LOG_DATA_NAME)) setLoggerName(id, info.name.c_str());
    if (given(LOG_DATA_PATH)) setLoggerPath(id, info.path.c_str());
    if (given(LOG_DATA_LEVEL)) setLoggerLevel(id, info.level.load());
    if (given(LOG_DATA_FILELINE)) setLoggerFileLine(id, info.fileline.load());
    if (given(LOG_DATA_DISPLAY)) setLoggerDisplay(id, info.display.load());
    if (given(LOG_DATA_OUTFILE)) setLoggerOutFile(id, info.outfile.load());
    if (given(LOG_DATA_LIMITSIZE)) setLoggerLimitsize(id, info.limitsize);
    if (given(LOG_DATA_MONTHDIR)) setLoggerMonthdir(id, info.monthdir);
    if (given(LOG_DATA_RESERVE)) setLoggerReserveTime(id, static_cast<long>(info.reserveTime));
  }
  return true;
}

}  // namespace marvlog
