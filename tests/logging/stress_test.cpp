// Four threads logging at once to one logger: every line arrives whole and
// none is lost.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

using namespace marvlog_test;

constexpr int kThreads = 4;
constexpr int kLinesEach = 2500;

TEST(LoggingStress, FourThreadsNoLineLostOrTorn) {
  // Memory-backed when the machine has it: every line is synced to disk on
  // close, and this test is about threads, not disks.
  TempDir dir("/dev/shm");
  marvlog::LogManager manager;
  manager.setLoggerLevel(0, marvlog::LOG_FATAL);  // no announcements
  const int id = manager.createLogger("stress");
  manager.setLoggerPath(id, dir.path().c_str());
  ASSERT_TRUE(manager.start());
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&manager, id, t] {
      for (int i = 0; i < kLinesEach; ++i) {
        MARVLOG_FMT_TO(&manager, id, marvlog::LOG_INFO, "t%d n%d %s", t, i, "payload-payload-payload");
      }
    });
  }
  for (std::thread& w : workers) w.join();
  ASSERT_TRUE(manager.stop());

  const std::vector<std::string> lines = splitLines(readFile(dir.file("stress.log")));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesEach));
  std::vector<int> next(kThreads, 0);
  std::map<unsigned, int> threadOfId;
  for (const std::string& line : lines) {
    int year, month, day, hour, minute, second, millis, t, n, used = 0;
    unsigned tid;
    char file[64];
    ASSERT_EQ(
        std::sscanf(line.c_str(),
                    "%4d-%2d-%2d %2d:%2d:%2d.%3d [%u] LOG_INFO t%d n%d payload-payload-payload %63[^:]:%*d%n",
                    &year, &month, &day, &hour, &minute, &second, &millis, &tid, &t, &n, file, &used),
        11)
        << line;
    ASSERT_EQ(static_cast<size_t>(used), line.size()) << line;
    EXPECT_STREQ(file, "stress_test.cpp");
    ASSERT_TRUE(t >= 0 && t < kThreads) << line;
    // Lines of one thread arrive in the order it logged them.
    ASSERT_EQ(n, next[static_cast<size_t>(t)]) << line;
    next[static_cast<size_t>(t)] = n + 1;
    auto known = threadOfId.emplace(tid, t);
    EXPECT_EQ(known.first->second, t) << "thread id " << tid << " used by two threads";
  }
  EXPECT_EQ(manager.getStatusTotalWriteCount(), static_cast<uint64_t>(kThreads * kLinesEach));
}

}  // namespace
