// Figures for the logging library. Run: build/bench/logging/logging_bench
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "logging/LogManager.h"

namespace {

// A started manager with one logger "bench" in a fresh directory under base.
class BenchLog {
 public:
  explicit BenchLog(const char* base) {
    std::string pattern = std::string(base) + "/marvlog-bench-XXXXXX";
    if (mkdtemp(&pattern[0]) != nullptr) dir = pattern;
    manager.setLoggerLevel(0, marvlog::LOG_FATAL);
    id = manager.createLogger("bench");
    manager.setLoggerPath(id, dir.c_str());
    manager.setLoggerLevel(id, marvlog::LOG_INFO);
    manager.start();
  }
  ~BenchLog() {
    manager.stop();
    unlink((dir + "/bench.log").c_str());
    rmdir(dir.c_str());
  }

  std::string dir;
  marvlog::LogManager manager;
  int id = -1;
};

void BM_StatementBelowLevel(benchmark::State& state) {
  BenchLog log("/tmp");
  int len = 100;
  for (auto _ : state) {
    MARVLOG_FMT_TO(&log.manager, log.id, marvlog::LOG_DEBUG, "len: %d, colBytes: %d", len, len * 3);
    benchmark::DoNotOptimize(len);
  }
}
BENCHMARK(BM_StatementBelowLevel);

void BM_StatementBelowLevelProcessManager(benchmark::State& state) {
  auto& manager = marvlog::ILogManager::getRef();
  manager.setLoggerLevel(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_INFO);
  int len = 100;
  for (auto _ : state) {
    MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "len: %d, colBytes: %d", len, len * 3);
    benchmark::DoNotOptimize(len);
  }
}
BENCHMARK(BM_StatementBelowLevelProcessManager);

void BM_LineFormattedNotWritten(benchmark::State& state) {
  BenchLog log("/tmp");
  log.manager.setLoggerOutFile(log.id, false);
  int len = 100;
  for (auto _ : state) {
    MARVLOG_FMT_TO(&log.manager, log.id, marvlog::LOG_INFO, "len: %d, colBytes: %d", len, len * 3);
  }
}
BENCHMARK(BM_LineFormattedNotWritten);

void lineToFile(benchmark::State& state, const char* base) {
  if (access(base, W_OK) != 0) {
    state.SkipWithError("directory not writable");
    return;
  }
  BenchLog log(base);
  int len = 100;
  for (auto _ : state) {
    MARVLOG_FMT_TO(&log.manager, log.id, marvlog::LOG_INFO, "len: %d, colBytes: %d", len, len * 3);
  }
  state.SetBytesProcessed(static_cast<int64_t>(log.manager.getStatusTotalWriteBytes()));
}

void BM_LineToFileOnDisk(benchmark::State& state) {
  lineToFile(state, "/var/tmp");
}
BENCHMARK(BM_LineToFileOnDisk)->Unit(benchmark::kMicrosecond);

void BM_LineToFileOnTmpfs(benchmark::State& state) {
  lineToFile(state, "/dev/shm");
}
BENCHMARK(BM_LineToFileOnTmpfs)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
