// The process-wide log manager: its interface, the logger table, the record
// pool, the writer thread and the configuration operations.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "logging/log_types.h"
#include "logging/marvlog_levels.h"
#include "logging/sys_helpers.h"

namespace marvlog {

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
};

// Wall-clock reading: seconds since the epoch and microseconds.
struct WallTime {
  int64_t sec;
  uint32_t usec;
};
using WallClockFn = WallTime (*)();
using ThreadIdFn = uint32_t (*)();

WallTime systemWallTime();
uint32_t systemThreadId();

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

  void run() override;

  bool configFromStringImpl(std::string text, bool isUpdate);
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
  void setClock(WallClockFn clock) { wallClock = clock; }
  void setThreadIdSource(ThreadIdFn source) { threadIdSource = source; }

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
  // configFile is written once, before configFileSet is published.
  std::atomic<bool> configClaimed{false};
  std::atomic<bool> configFileSet{false};
  std::string configFile;
  std::map<std::string, int32_t> loggerIds;
  std::atomic<int32_t> lastId{0};
  LoggerInfo loggers[MARVLOG_LOGGER_MAX];
  WallClockFn wallClock = &systemWallTime;
  ThreadIdFn threadIdSource = &systemThreadId;

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
