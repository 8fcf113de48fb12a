// The configuration text: trimming, line and section rules, the value
// table, the checksum, and applying texts and files to a manager.
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
using Sections = std::map<std::string, LoggerInfo>;

Sections parse(const std::string& text) {
  Sections out;
  EXPECT_TRUE(marvlog::parseConfigFromString(text, out));
  return out;
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

TEST(ConfigText, Trimming) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"  key \t", "key"},
      {"\r\n", ""},
      {"a b", "a b"},
      {"\xEF\xBB\xBF name ", "name"},
      {"\xEF\xBB\xBF", ""},
      {"\xEF\xBB", "\xEF\xBB"},  // too short to be a mark
      {"x\xEF\xBB\xBF", "x\xEF\xBB\xBF"},
  };
  for (const auto& c : cases) {
    std::string text = c.first;
    marvlog::trimLogConfig(text, "");
    EXPECT_EQ(text, c.second);
  }
  std::string section = " [[net]] ";
  marvlog::trimLogConfig(section, "[]");
  EXPECT_EQ(section, "net");
}

TEST(ConfigText, SplitAtTheFirstDelimiter) {
  using Pair = std::pair<std::string, std::string>;
  EXPECT_EQ(marvlog::splitPairString("a=b=c", "="), Pair("a", "b=c"));
  EXPECT_EQ(marvlog::splitPairString("abc", "="), Pair("abc", ""));
  EXPECT_EQ(marvlog::splitPairString("=x", "="), Pair("", "x"));
}

TEST(ConfigText, LineResults) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", false},   {"=value", false}, {" =value", true},
      {"[s]", true}, {"# note", true},  {"level=info", true},
  };
  for (const auto& c : cases) {
    Sections out;
    std::string section = "s";
    EXPECT_EQ(marvlog::parseConfigLine(c.first, 1, section, out), c.second) << c.first;
  }
}

TEST(ConfigText, ValueTable) {
  struct Case {
    const char* line;
    std::function<bool(const LoggerInfo&)> holds;
  };
  const std::vector<Case> cases = {
      {"level = trace", [](const LoggerInfo& l) { return l.level.load() == 0; }},
      {"level = ALL", [](const LoggerInfo& l) { return l.level.load() == 0; }},
      {"level = Info", [](const LoggerInfo& l) { return l.level.load() == 2; }},
      {"level = warning", [](const LoggerInfo& l) { return l.level.load() == 3; }},
      {"level = warn", [](const LoggerInfo& l) { return l.level.load() == 3; }},
      {"level = error", [](const LoggerInfo& l) { return l.level.load() == 4; }},
      {"level = alarm", [](const LoggerInfo& l) { return l.level.load() == 5; }},
      {"level = FATAL", [](const LoggerInfo& l) { return l.level.load() == 6; }},
      {"level = verbose", [](const LoggerInfo& l) { return l.level.load() == 1; }},
      {"display = no", [](const LoggerInfo& l) { return l.display.load(); }},
      {"display = 0", [](const LoggerInfo& l) { return !l.display.load(); }},
      {"display = FALSE", [](const LoggerInfo& l) { return !l.display.load(); }},
      {"outfile = false", [](const LoggerInfo& l) { return !l.outfile.load(); }},
      {"monthdir", [](const LoggerInfo& l) { return l.monthdir; }},
      {"fileline = 0", [](const LoggerInfo& l) { return !l.fileline.load(); }},
      {"enable = false", [](const LoggerInfo& l) { return !l.enable.load(); }},
      {"limitsize = 10MB", [](const LoggerInfo& l) { return l.limitsize == 10u; }},
      {"limitsize = abc", [](const LoggerInfo& l) { return l.limitsize == 0u; }},
      {"limitsize = 99999999999999", [](const LoggerInfo& l) { return l.limitsize == 2147483647u; }},
      {"reserve = 60s", [](const LoggerInfo& l) { return l.reserveTime == 60; }},
      {"Path = /x # note", [](const LoggerInfo& l) { return l.path == "/x # note"; }},
      {"NAME = MixedCase", [](const LoggerInfo& l) { return l.name == "MixedCase"; }},
      {"colour = red", [](const LoggerInfo& l) { return l.level.load() == 1 && l.name == "s"; }},
  };
  for (const Case& c : cases) {
    const Sections out = parse(std::string("[s]\n") + c.line);
    ASSERT_EQ(out.count("s"), 1u) << c.line;
    EXPECT_TRUE(c.holds(out.at("s"))) << c.line;
  }
}

TEST(ConfigText, SectionsAndLines) {
  // CR and LF each end a line; settings before any section are ignored;
  // "main" in any case is the main logger; "[]" names nothing.
  const Sections out = parse(
      "\xEF\xBB\xBFlevel=fatal\r\n[MAIN]\rlevel=error\r\n# level=trace\n[net]\nname=n1\n[]\nlevel=alarm\n"
      "[net]\nlevel=info\n[Zeta]");
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out.at("Main").level.load(), marvlog::LOG_ERROR);
  EXPECT_EQ(out.at("Main").key, "Main");
  EXPECT_EQ(out.at("net").name, "n1");
  EXPECT_EQ(out.at("net").level.load(), marvlog::LOG_INFO);
  EXPECT_TRUE(out.at("Zeta").enable.load());
  EXPECT_TRUE(parse("").empty());
}

TEST(ConfigApply, MainSectionResetsWhatItDoesNotMention) {
  LogManager manager;
  manager.setLoggerPath(0, "/tmp");
  manager.setLoggerName(0, "app");
  manager.setLoggerMonthdir(0, true);
  const char* text = "[main]\nlevel = INFO\nPath = /var/log/app\n";
  ASSERT_TRUE(manager.configFromString(text));
  LoggerInfo main = manager.getLoggerInfo(0);
  EXPECT_EQ(main.level.load(), marvlog::LOG_INFO);
  EXPECT_EQ(main.path, "/var/log/app/");
  EXPECT_EQ(main.name, "Main");
  EXPECT_TRUE(main.display.load() && main.outfile.load() && main.fileline.load());
  EXPECT_FALSE(main.monthdir);
  EXPECT_EQ(main.limitsize, 100u);
  EXPECT_EQ(main.reserveTime, 0);

  // The same text, or one with the same byte sum, changes nothing.
  manager.setLoggerLevel(0, marvlog::LOG_ERROR);
  EXPECT_TRUE(manager.configFromString(text));
  EXPECT_TRUE(manager.configFromString("[main]\nPath = /var/log/app\nlevel = INFO\n"));
  EXPECT_EQ(manager.getLoggerInfo(0).level.load(), marvlog::LOG_ERROR);
  EXPECT_TRUE(manager.configFromString(""));
  EXPECT_FALSE(manager.configFromString(nullptr));
}

TEST(ConfigApply, NewLoggersInByteOrderOfTheirNames) {
  LogManager manager;
  ASSERT_TRUE(manager.configFromString("[Zeta]\n[Alpha]\n[beta]\n"));
  EXPECT_EQ(manager.findLogger("Alpha"), 1);
  EXPECT_EQ(manager.findLogger("Zeta"), 2);
  EXPECT_EQ(manager.findLogger("beta"), 3);
}

TEST(ConfigApply, SectionsBeyondTheTableAreSkipped) {
  LogManager manager;
  std::string text;
  for (int i = 0; i < 25; ++i) text += "[k" + std::to_string(100 + i) + "]\n";
  ASSERT_TRUE(manager.configFromString(text.c_str()));
  EXPECT_EQ(manager.getLastId(), 19);
  EXPECT_EQ(manager.findLogger("k118"), 19);
  EXPECT_EQ(manager.findLogger("k119"), -1);
}

TEST(ConfigFile, TakenOnceAndReloadedForExistingLoggersOnly) {
  marvlog_test::TempDir dir;
  const std::string file = dir.file("log.conf");
  writeText(file, "[net]\nlevel=warn\n");
  LogManager manager;
  ASSERT_TRUE(manager.config(file.c_str()));
  EXPECT_EQ(manager.findLogger("net"), 1);

  writeText(file, "[net]\nlevel=error\n[added]\n");
  EXPECT_TRUE(manager.updateConfig());
  EXPECT_EQ(manager.getLoggerInfo(1).level.load(), marvlog::LOG_ERROR);
  EXPECT_EQ(manager.findLogger("added"), -1);

  const std::string other = dir.file("other.conf");
  writeText(other, "[other]\n");
  EXPECT_FALSE(manager.config(other.c_str()));
  EXPECT_EQ(manager.findLogger("other"), -1);
}

TEST(ConfigFile, MissingOrOversizedFiles) {
  marvlog_test::TempDir dir;
  LogManager manager;
  EXPECT_FALSE(manager.updateConfig());  // no file recorded yet
  EXPECT_FALSE(manager.config(nullptr));
  const std::string file = dir.file("late.conf");
  EXPECT_FALSE(manager.config(file.c_str()));
  // The path stays recorded, so a reload finds the file once it exists...
  // The text ends at its first NUL byte.
  writeText(file, std::string("[main]\nlevel=fatal\n\0level=info\n", 31));
  EXPECT_TRUE(manager.updateConfig());
  EXPECT_EQ(manager.getLoggerInfo(0).level.load(), marvlog::LOG_FATAL);
  // ...and refuses it unread when it outgrows the limit.
  writeText(file, "[main]\nlevel=info\n" + std::string(marvlog::MARVLOG_CONFIG_MAX_BYTES, '#'));
  EXPECT_FALSE(manager.updateConfig());
  EXPECT_EQ(manager.getLoggerInfo(0).level.load(), marvlog::LOG_FATAL);
}

}  // namespace
