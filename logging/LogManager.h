// The process-wide log manager behind ILogManager: the logger table, the
// record pool, the writer thread and the configuration operations. Callers
// that only log include logging/marvlog.h.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "logging/LoggerInfo.h"
#include "logging/SysHelpers.h"
#include "logging/marvlog.h"

namespace marvlog {

// The history clean-up never deletes the newest file it knows of.
constexpr uint64_t MARVLOG_FORCE_RESERVE_FILE_COUNT = 1;

namespace detail {

constexpr size_t MARVLOG_RECORD_BLOCK_SIZE = sizeof(LogData) + MARVLOG_LOG_BUF_SIZE - 1;
// Records kept for reuse once released.
constexpr size_t MARVLOG_RECORD_POOL_MAX = 200;
// Longest full log file path (directory, month directory and name.log) the
// library will open; longer ones are refused like any other open failure.
constexpr size_t MARVLOG_MAX_FILE_PATH = 500;
// Largest configuration file read; bigger files are refused unread.
constexpr size_t MARVLOG_CONFIG_MAX_BYTES = 1024 * 1024;
// Period of the writer thread's cycle.
constexpr unsigned MARVLOG_WRITER_CYCLE_MS = 50;
// How long start() waits for the writer thread to announce itself.
constexpr int MARVLOG_START_TIMEOUT_MS = 3000;

inline bool isValidLevel(int level) {
  return level >= LOG_TRACE && level <= LOG_FATAL;
}

// Wall-clock reading: seconds since the epoch and microseconds.
struct WallTime {
  int64_t sec;
  uint32_t usec;
};
using WallClockFn = WallTime (*)();
using ThreadIdFn = uint32_t (*)();

WallTime systemWallTime();
uint32_t systemThreadId();

}  // namespace detail

class LogManager : public ThreadHelper, public ILogManager {
 public:
  LogManager();
  ~LogManager() override;

  bool config(const char* file) override;
  bool configFromString(const char* text) override;
  int createLogger(const char* key) override;
  bool start() override;
  bool stop() override;
  int findLogger(const char* key) override;
  bool prePushLog(int id, int level) override;
  bool pushLog(LogData* record, const char* file, int line) override;
  bool enableLogger(int id, bool enable) override;
  bool setLoggerName(int id, const char* name) override;
  bool setLoggerPath(int id, const char* path) override;
  bool setLoggerLevel(int id, int level) override;
  bool setLoggerFileLine(int id, bool enable) override;
  bool setLoggerDisplay(int id, bool enable) override;
  bool setLoggerOutFile(int id, bool enable) override;
  bool setLoggerLimitsize(int id, unsigned int limitsize) override;
  bool setLoggerMonthdir(int id, bool enable) override;
  bool setLoggerReserveTime(int id, long seconds) override;
  bool setAutoUpdate(int interval) override;
  bool updateConfig() override;
  bool isLoggerEnable(int id) override;
  uint64_t getStatusTotalWriteCount() override;
  uint64_t getStatusTotalWriteBytes() override;
  uint64_t getStatusTotalPushQueue() override;
  uint64_t getStatusTotalPopQueue() override;
  uint32_t getStatusActiveLoggers() override;
  LogData* makeLogData(int id, int level) override;
  void freeLogData(LogData* record) override;
  bool mergeConfigFromString(const char* text) override;

  void run() override;

  // isUpdate: a reload, which changes existing loggers only. namedOnly: a
  // section changes only the settings it names.
  bool configFromStringImpl(std::string text, bool isUpdate, bool namedOnly = false);
  bool hotChange(int id, LogDataType type, int value, const std::string& text);
  bool onHotChange(int id, LogDataType type, int value, const std::string& text);
  // Terminal hook: writes nothing, so that standard output carries only the
  // printer's bytes and standard error only what CUPS reads.
  void showColorText(const char* text, int level);
  // Both expect queueLock to be held by the caller.
  bool openLogger(LogData* record);
  bool closeLogger(int id);

  // A copy of one logger's settings and file state (for inspection), taken
  // under queueLock; a default LoggerInfo for an id not in use.
  LoggerInfo getLoggerInfo(int id);
  int getLastId() const { return lastId.load(std::memory_order_acquire); }
  size_t getPoolSize() const { return poolCount.load(std::memory_order_relaxed); }
  // The clock and the thread id stamped into records. For tests that need
  // fixed lines; set before start().
  void setClock(detail::WallClockFn clock) { wallClock = clock; }
  void setThreadIdSource(detail::ThreadIdFn source) { threadIdSource = source; }

 private:
  bool validId(int id) const { return id >= 0 && id <= lastId.load(std::memory_order_acquire); }
  LogData* takePooled();
  void writeLine(LogData* record);
  void openFailed(LoggerInfo& logger, const std::string& fullPath);
  void cleanHistory(LoggerInfo& logger, const std::string& fullPath);
  void announce();
  void closeDisabledFiles();
  void shutDownLoggers();
  bool readConfigFile(std::string* text);

  std::atomic<bool> running{false};
  SemHelper startSignal;
  std::atomic<int32_t> autoUpdateInterval{0};
  // The last configuration text applied, whole: a sum or a short hash of it
  // would let some real changes pass for the old text.
  LockHelper configLock;
  std::string appliedConfig;
  bool appliedNamedOnly = false;
  // configFile is written once, before configFileSet is published.
  std::atomic<bool> configClaimed{false};
  std::atomic<bool> configFileSet{false};
  std::string configFile;
  std::map<std::string, int32_t> loggerIds;
  std::atomic<int32_t> lastId{0};
  LoggerInfo loggers[MARVLOG_LOGGER_MAX];
  detail::WallClockFn wallClock = &detail::systemWallTime;
  detail::ThreadIdFn threadIdSource = &detail::systemThreadId;

  // Groups touched by different threads lie on different cache lines.
  [[maybe_unused]] char spacerQueue[256] = {};
  LockHelper queueLock;
  [[maybe_unused]] char spacerPool[256] = {};
  LockHelper poolLock;
  std::vector<LogData*> recordPool;
  std::atomic<size_t> poolCount{0};
  [[maybe_unused]] char spacerCounters[512] = {};
  std::atomic<uint64_t> totalWrites{0};
  std::atomic<uint64_t> totalWriteBytes{0};
};

}  // namespace marvlog
