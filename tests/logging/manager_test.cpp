// The logger table and its settings operations.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using marvlog::LoggerInfo;
using marvlog::LogManager;

TEST(LoggerTable, FreshManagerHasOnlyTheMainLogger) {
  LogManager manager;
  EXPECT_EQ(manager.findLogger("Main"), 0);
  EXPECT_TRUE(manager.isLoggerEnable(0));
  EXPECT_FALSE(manager.isLoggerEnable(1));
  EXPECT_EQ(manager.getStatusActiveLoggers(), 1u);
  const LoggerInfo main = manager.getLoggerInfo(0);
  EXPECT_EQ(main.key, "Main");
  EXPECT_EQ(main.name, "Main");
  EXPECT_EQ(main.path, "./log/");
  EXPECT_EQ(main.level.load(), marvlog::LOG_DEBUG);
}

TEST(LoggerTable, CreateAndFindKeys) {
  LogManager manager;
  EXPECT_EQ(manager.createLogger("  Main \r\n"), 0);
  EXPECT_EQ(manager.getLastId(), 0);
  EXPECT_EQ(manager.findLogger(" Main"), -1);  // no trimming on lookup
  EXPECT_EQ(manager.createLogger(nullptr), -1);
  EXPECT_EQ(manager.findLogger(nullptr), -1);
  EXPECT_EQ(manager.createLogger(" \t"), -1);

  EXPECT_EQ(manager.createLogger("net"), 1);
  EXPECT_EQ(manager.createLogger("net"), 1);
  const LoggerInfo net = manager.getLoggerInfo(1);
  EXPECT_EQ(net.key, "net");
  EXPECT_EQ(net.name, "net");
  EXPECT_TRUE(net.enable.load());
  EXPECT_EQ(net.path, "./log/");
  EXPECT_EQ(net.limitsize, 100u);
  EXPECT_TRUE(net.display.load() && net.outfile.load() && net.fileline.load());
  EXPECT_FALSE(net.monthdir);
  EXPECT_EQ(net.reserveTime, 0);

  // A disabled logger stays disabled when its key is asked for again.
  manager.enableLogger(1, false);
  EXPECT_EQ(manager.createLogger("net"), 1);
  EXPECT_FALSE(manager.isLoggerEnable(1));
}

TEST(LoggerTable, HoldsTwentyLoggers) {
  LogManager manager;
  for (int i = 1; i < marvlog::MARVLOG_LOGGER_MAX; ++i) {
    EXPECT_EQ(manager.createLogger(("l" + std::to_string(i)).c_str()), i);
  }
  EXPECT_EQ(manager.createLogger("one-too-many"), -1);
  EXPECT_EQ(manager.getLastId(), 19);
  EXPECT_EQ(manager.findLogger("one-too-many"), -1);
  EXPECT_EQ(manager.getStatusActiveLoggers(), 20u);
}

TEST(LoggerSettings, StoredValues) {
  struct Case {
    const char* what;
    std::function<bool(LogManager&)> set;
    std::function<bool(const LoggerInfo&)> holds;
  };
  const std::vector<Case> cases = {
      {"path gains a slash", [](LogManager& m) { return m.setLoggerPath(0, "/tmp"); },
       [](const LoggerInfo& l) { return l.path == "/tmp/"; }},
      {"path with slash kept", [](LogManager& m) { return m.setLoggerPath(0, "/var/log/"); },
       [](const LoggerInfo& l) { return l.path == "/var/log/"; }},
      {"path with backslash kept", [](LogManager& m) { return m.setLoggerPath(0, "c:\\logs\\"); },
       [](const LoggerInfo& l) { return l.path == "c:\\logs\\"; }},
      {"name", [](LogManager& m) { return m.setLoggerName(0, "marvikdotmatrix"); },
       [](const LoggerInfo& l) { return l.name == "marvikdotmatrix"; }},
      {"limit 0 means none", [](LogManager& m) { return m.setLoggerLimitsize(0, 0); },
       [](const LoggerInfo& l) { return l.limitsize == 4294967295u; }},
      {"limit", [](LogManager& m) { return m.setLoggerLimitsize(0, 5000); },
       [](const LoggerInfo& l) { return l.limitsize == 5000u; }},
      {"negative reserve", [](LogManager& m) { return m.setLoggerReserveTime(0, -5); },
       [](const LoggerInfo& l) { return l.reserveTime == 0; }},
      {"huge reserve saturates", [](LogManager& m) { return m.setLoggerReserveTime(0, 4294967296L + 60); },
       [](const LoggerInfo& l) { return l.reserveTime == 2147483647; }},
      {"level down", [](LogManager& m) { return m.setLoggerLevel(0, 3) && m.setLoggerLevel(0, 1); },
       [](const LoggerInfo& l) { return l.level.load() == 1; }},
      {"level up", [](LogManager& m) { return m.setLoggerLevel(0, 5); },
       [](const LoggerInfo& l) { return l.level.load() == 5; }},
      {"switches",
       [](LogManager& m) {
         return m.setLoggerDisplay(0, false) && m.setLoggerOutFile(0, false) &&
                m.setLoggerFileLine(0, false) && m.setLoggerMonthdir(0, true);
       },
       [](const LoggerInfo& l) {
         return !l.display.load() && !l.outfile.load() && !l.fileline.load() && l.monthdir;
       }},
      {"name of 8191 bytes", [](LogManager& m) { return m.setLoggerName(0, std::string(8191, 'n').c_str()); },
       [](const LoggerInfo& l) { return l.name.size() == 8191; }},
  };
  for (const Case& c : cases) {
    LogManager manager;
    EXPECT_TRUE(c.set(manager)) << c.what;
    EXPECT_TRUE(c.holds(manager.getLoggerInfo(0))) << c.what;
  }
}

TEST(LoggerSettings, RefusedChangesKeepTheOldValue) {
  struct Case {
    const char* what;
    std::function<bool(LogManager&)> set;
  };
  const std::vector<Case> cases = {
      {"empty path", [](LogManager& m) { return m.setLoggerPath(0, ""); }},
      {"null path", [](LogManager& m) { return m.setLoggerPath(0, nullptr); }},
      {"empty name", [](LogManager& m) { return m.setLoggerName(0, ""); }},
      {"null name", [](LogManager& m) { return m.setLoggerName(0, nullptr); }},
      {"name of 8192 bytes",
       [](LogManager& m) { return m.setLoggerName(0, std::string(8192, 'n').c_str()); }},
      {"id above lastId", [](LogManager& m) { return m.setLoggerDisplay(5, true); }},
      {"id -1", [](LogManager& m) { return m.enableLogger(-1, true); }},
      {"id 20", [](LogManager& m) { return m.setLoggerLevel(20, 1); }},
      {"id 20 path", [](LogManager& m) { return m.setLoggerPath(20, "/x"); }},
      {"id -1 reserve", [](LogManager& m) { return m.setLoggerReserveTime(-1, 5); }},
  };
  for (const Case& c : cases) {
    LogManager manager;
    for (const char* key : {"a", "b", "c"}) manager.createLogger(key);
    EXPECT_FALSE(c.set(manager)) << c.what;
    const LoggerInfo main = manager.getLoggerInfo(0);
    EXPECT_EQ(main.name, "Main") << c.what;
    EXPECT_EQ(main.path, "./log/") << c.what;
    EXPECT_TRUE(main.display.load()) << c.what;
  }
  LogManager manager;
  EXPECT_FALSE(manager.isLoggerEnable(-1));
  EXPECT_FALSE(manager.isLoggerEnable(20));
}

TEST(LoggerSettings, DisablingTheMainLoggerRefusesEveryLevel) {
  marvlog_test::TempDir dir;
  LogManager manager;
  manager.setLoggerPath(0, dir.path().c_str());
  ASSERT_TRUE(manager.start());
  ASSERT_TRUE(manager.enableLogger(0, false));
  EXPECT_EQ(manager.getStatusActiveLoggers(), 0u);
  for (int level = marvlog::LOG_TRACE; level <= marvlog::LOG_FATAL; ++level) {
    EXPECT_FALSE(manager.prePushLog(0, level)) << level;
  }
}

}  // namespace
