// The configuration text and applying it from memory and from a file.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using marvlog::LoggerInfo;
using marvlog::LogManager;

std::map<std::string, LoggerInfo> parse(const std::string& text) {
  std::map<std::string, LoggerInfo> out;
  marvlog::parseConfigFromString(text, out);
  return out;
}

TEST(ConfigText, ValueTable) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"level = ALL", "level=0"},
      {"level = Info", "level=2"},
      {"level = warning", "level=3"},
      {"level = FATAL", "level=6"},
      {"level = verbose", "level=1"},
      {"=level=fatal", "level=1"},
      {"display = no", "display=1"},
      {"display = 0", "display=0"},
      {"outfile = FALSE", "outfile=0"},
      {"monthdir", "monthdir=1"},
      {"enable = false", "enable=0"},
      {"limitsize = 10MB", "limitsize=10 "},
      {"limitsize = abc", "limitsize=0 "},
      {"reserve = 60s", "reserve=60"},
      {"Path = /x # note", "path=/x # note "},
      {"NAME = MiXed", "name=MiXed "},
      {"fileline=0", "fileline=0"},
  };
  for (const auto& c : cases) {
    const auto out = parse(std::string("[s]\n") + c.first);
    ASSERT_EQ(out.count("s"), 1u) << c.first;
    EXPECT_NE(marvlog_test::describe(out.at("s")).find(c.second), std::string::npos) << c.first;
  }
}

TEST(ConfigText, LinesAndSections) {
  // CR and LF each end a line; settings outside a section are ignored; any
  // case of "main" is the main logger; "[]" names nothing.
  const auto out = parse(
      "\xEF\xBB\xBFlevel=fatal\r\n[MAIN]\rlevel=error\r\n# level=trace\n[net]\nname=n1\n[]\nlevel=alarm\n"
      "[net]\nlevel=info\n[Zeta]");
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out.at("Main").level.load(), marvlog::LOG_ERROR);
  EXPECT_EQ(out.at("net").name + std::to_string(out.at("net").level.load()), "n12");
  EXPECT_TRUE(out.at("Zeta").enable.load());
}

TEST(ConfigApply, FromMemory) {
  LogManager manager;
  manager.setLoggerPath(0, "/tmp");
  manager.setLoggerName(0, "app");
  manager.setLoggerMonthdir(0, true);
  const char* text = "[main]\nlevel = INFO\nPath = /var/log/app\n[Zeta]\n[Alpha]\n";
  ASSERT_TRUE(manager.configFromString(text));
  const LoggerInfo main = manager.getLoggerInfo(0);
  EXPECT_EQ(main.level.load(), marvlog::LOG_INFO);
  EXPECT_EQ(main.path + main.name, "/var/log/app/Main");
  EXPECT_FALSE(main.monthdir);  // not mentioned, so back to its default
  EXPECT_EQ(manager.findLogger("Alpha"), 1);
  EXPECT_EQ(manager.findLogger("Zeta"), 2);
  // The same text again changes nothing.
  manager.setLoggerLevel(0, marvlog::LOG_ERROR);
  EXPECT_TRUE(manager.configFromString(text));
  EXPECT_EQ(manager.getLoggerInfo(0).level.load(), marvlog::LOG_ERROR);
  EXPECT_FALSE(manager.configFromString(nullptr));
}

TEST(ConfigApply, EveryChangeIsApplied) {
  // Each second text has the byte sum of the first one.
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"[main]\npath=/var/log/app\n", "[main]\npath=/var/log/ppa\n"},
      {"[main]\nlevel=info\nname=ab\n", "[main]\nlevel=info\nname=ba\n"},
      {"[a]\nlevel=info\n[b]\nlevel=warn\n", "[a]\nlevel=warn\n[b]\nlevel=info\n"},
  };
  for (const auto& c : cases) {
    LogManager once, twice;
    once.configFromString(c.second);
    twice.configFromString(c.first);
    EXPECT_TRUE(twice.configFromString(c.second));
    for (int id = 0; id <= once.getLastId(); ++id) {
      EXPECT_EQ(marvlog_test::describe(twice.getLoggerInfo(id)),
                marvlog_test::describe(once.getLoggerInfo(id)))
          << c.second;
    }
  }
}

TEST(ConfigApply, FromAFileTakenOnce) {
  marvlog_test::TempDir dir;
  const std::string file = dir.file("log.conf");
  LogManager manager;
  EXPECT_FALSE(manager.updateConfig());        // no file recorded
  EXPECT_FALSE(manager.config(""));            // names no file, takes no slot
  EXPECT_FALSE(manager.config(file.c_str()));  // missing, but recorded
  std::ofstream(file) << "[main]\nlevel=warn\n[net]\n";
  EXPECT_TRUE(manager.updateConfig());
  EXPECT_EQ(manager.getLoggerInfo(0).level.load(), marvlog::LOG_WARN);
  EXPECT_EQ(manager.findLogger("net"), -1);  // reloads change existing loggers only
  // The text ends at its first NUL byte.
  std::ofstream(file, std::ios::trunc) << std::string("[main]\nlevel=fatal\n\0level=info\n", 31);
  EXPECT_TRUE(manager.updateConfig());
  EXPECT_EQ(manager.getLoggerInfo(0).level.load(), marvlog::LOG_FATAL);
  // A file over the size limit is refused unread.
  std::ofstream(file, std::ios::trunc) << "[main]\nlevel=info\n"
                                       << std::string(marvlog::detail::MARVLOG_CONFIG_MAX_BYTES, '#');
  EXPECT_FALSE(manager.updateConfig());
  EXPECT_EQ(manager.getLoggerInfo(0).level.load(), marvlog::LOG_FATAL);
  std::ofstream(dir.file("other.conf")) << "[other]\n";
  EXPECT_FALSE(manager.config(dir.file("other.conf").c_str()));
  EXPECT_EQ(manager.findLogger("other"), -1);
}

}  // namespace
