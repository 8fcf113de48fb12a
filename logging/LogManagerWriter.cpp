// The writer thread: start-up announcement, the 50 ms housekeeping cycle,
// periodic configuration reloads, and shutdown.
#include "logging/LogManager.h"

namespace marvlog {

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
}  // namespace

bool LogManager::start() {
  // Claiming the running flag first keeps two concurrent starts from both
  // creating a thread.
  bool expected = false;
  if (!running.compare_exchange_strong(expected, true)) {
    showColorText("marvlog already start \r\n", LOG_FATAL);
    return false;
  }
  if (!startSignal.create(0) || !ThreadHelper::start()) {
    running.store(false);
    return false;
  }
  return startSignal.wait(detail::MARVLOG_START_TIMEOUT_MS);
}

bool LogManager::stop() {
  bool expected = true;
  if (!running.compare_exchange_strong(expected, false)) return false;
  showColorText("marvlog stopping \r\n", LOG_FATAL);
  ThreadHelper::wait();
  AutoLock guard(poolLock);
  for (LogData* record : recordPool) free(record);
  recordPool.clear();
  poolCount.store(0, kRelaxed);
  return true;
}

void LogManager::run() {
  // start() has raised the running flag already; raising it here again could
  // undo a stop() that came before this thread got to run.
  announce();
  startSignal.post();
  int64_t lastCheck = wallClock().sec;
  for (;;) {
    closeDisabledFiles();
    sleepMillisecond(detail::MARVLOG_WRITER_CYCLE_MS);
    if (!running.load()) break;
    const int interval = autoUpdateInterval.load(kRelaxed);
    const int64_t now = wallClock().sec;
    if (interval != 0 && now - lastCheck > interval) {
      updateConfig();
      lastCheck = now;
    }
  }
  shutDownLoggers();
}

void LogManager::announce() {
  MARVLOG_STREAM_TO(this, MARVLOG_MAIN_LOGGER_ID, LOG_ALARM)
      << "-----------------  marvlog thread started!   ----------------------------";
  const int32_t last = lastId.load(std::memory_order_acquire);
  for (int32_t id = 0; id <= last; ++id) {
    if (!loggers[id].enable.load(kRelaxed)) continue;
    const LoggerInfo logger = getLoggerInfo(id);
    MARVLOG_STREAM_TO(this, MARVLOG_MAIN_LOGGER_ID, LOG_ALARM)
        << "logger id=" << id << " key=" << logger.key << " name=" << logger.name << " path=" << logger.path
        << " level=" << logger.level.load(kRelaxed) << " display=" << logger.display.load(kRelaxed);
  }
}

void LogManager::closeDisabledFiles() {
  const int32_t last = lastId.load(std::memory_order_acquire);
  for (int32_t id = 0; id <= last; ++id) {
    if (loggers[id].enable.load(kRelaxed)) continue;
    // Under queueLock, so a line being written is never cut short.
    AutoLock guard(queueLock);
    if (loggers[id].handle.isOpen()) closeLogger(id);
  }
}

void LogManager::shutDownLoggers() {
  const int32_t last = lastId.load(std::memory_order_acquire);
  for (int32_t id = 0; id <= last; ++id) {
    if (!loggers[id].enable.load(kRelaxed)) continue;
    loggers[id].enable.store(false, kRelaxed);
    AutoLock guard(queueLock);
    closeLogger(id);
  }
}

}  // namespace marvlog
