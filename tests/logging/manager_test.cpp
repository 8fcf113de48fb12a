// The logger table and its settings operations.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using marvlog::LogManager;
using marvlog_test::describe;

TEST(LoggerTable, CreateFindAndFill) {
  LogManager manager;
  EXPECT_EQ(manager.findLogger("Main"), 0);
  EXPECT_EQ(manager.createLogger("  Main \r\n"), 0);
  EXPECT_EQ(manager.findLogger(" Main"), -1);  // no trimming on lookup
  EXPECT_EQ(manager.createLogger(" \t"), -1);
  EXPECT_EQ(manager.createLogger("net"), 1);
  manager.enableLogger(1, false);
  EXPECT_EQ(manager.createLogger("net"), 1);
  EXPECT_EQ(
      describe(manager.getLoggerInfo(1)),
      "key=net name=net path=./log/ level=1 display=1 outfile=1 monthdir=0 limitsize=100 enable=0 fileline=1 "
      "reserve=0");
  for (int i = 2; i < marvlog::MARVLOG_LOGGER_MAX; ++i)
    EXPECT_EQ(manager.createLogger(std::to_string(i).c_str()), i);
  EXPECT_EQ(manager.createLogger("one-too-many"), -1);
  EXPECT_EQ(manager.getLastId(), 19);
  EXPECT_EQ(manager.getStatusActiveLoggers(), 19u);
}

TEST(LoggerSettings, StoredOrRefused) {
  struct Case {
    std::function<bool(LogManager&)> set;
    bool accepted;
    const char* holds;  // part of the main logger's description afterwards
  };
  const char* unchanged = "key=Main name=Main path=./log/ level=1 display=1";
  const std::vector<Case> cases = {
      {[](LogManager& m) { return m.setLoggerPath(0, "/tmp"); }, true, "path=/tmp/ "},
      {[](LogManager& m) { return m.setLoggerPath(0, "c:\\logs\\"); }, true, "path=c:\\logs\\ "},
      {[](LogManager& m) { return m.setLoggerLimitsize(0, 0); }, true, "limitsize=4294967295"},
      {[](LogManager& m) { return m.setLoggerReserveTime(0, -5); }, true, "reserve=0"},
      {[](LogManager& m) { return m.setLoggerReserveTime(0, 4294967296L + 60); }, true, "reserve=2147483647"},
      {[](LogManager& m) { return m.setLoggerLevel(0, 3) && m.setLoggerLevel(0, 1); }, true, "level=1"},
      {[](LogManager& m) { return m.setLoggerName(0, std::string(8191, 'n').c_str()); }, true,
       "nnnnnnnnnnnnnn"},
      {[](LogManager& m) { return m.setLoggerName(0, std::string(8192, 'n').c_str()); }, false, unchanged},
      {[](LogManager& m) { return m.setLoggerPath(0, ""); }, false, unchanged},
      {[](LogManager& m) { return m.setLoggerName(0, nullptr); }, false, unchanged},
      {[](LogManager& m) { return m.setLoggerDisplay(5, false); }, false, unchanged},
      {[](LogManager& m) { return m.setLoggerPath(-1, "/x") || m.isLoggerEnable(-1); }, false, unchanged},
      {[](LogManager& m) { return m.enableLogger(20, true) || m.isLoggerEnable(20); }, false, unchanged},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    LogManager manager;
    for (const char* key : {"a", "b", "c"}) manager.createLogger(key);
    EXPECT_EQ(cases[i].set(manager), cases[i].accepted) << "case " << i;
    EXPECT_NE(describe(manager.getLoggerInfo(0)).find(cases[i].holds), std::string::npos) << "case " << i;
  }
}

}  // namespace
