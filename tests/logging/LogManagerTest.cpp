// The logger table, its settings, and the configuration text that drives
// them from memory or from a file.
#include "tests/logging/LogTestSupport.h"

namespace {

using marvik::test::describe;
using marvlog::LogManager;

TEST(LogManager, LoggerTable) {
  LogManager manager;
  EXPECT_EQ(manager.findLogger("Main"), 0);
  EXPECT_EQ(manager.createLogger("  Main \r\n"), 0);
  EXPECT_EQ(manager.findLogger(" Main"), -1);  // no trimming on lookup
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
  // Refused settings change nothing.
  EXPECT_FALSE(manager.setLoggerName(0, std::string(8192, 'n').c_str()) || manager.setLoggerPath(0, "") ||
               manager.setLoggerDisplay(20, false) || manager.setLoggerOutFile(-1, false) ||
               manager.enableLogger(20, true) || manager.isLoggerEnable(20) || manager.isLoggerEnable(1));
  EXPECT_EQ(describe(manager.getLoggerInfo(0)),
            "key=Main name=Main path=./log/ level=1 display=1 outfile=1 monthdir=0 limitsize=100 enable=1 "
            "fileline=1 reserve=0");
  EXPECT_TRUE(manager.setLoggerName(0, std::string(8191, 'n').c_str()));
}

TEST(LogManager, ConfigurationText) {
  // CR and LF each end a line; settings before the first section, comments
  // and "[]" sections are ignored; a byte-order mark is not part of the
  // text; any case of "main" is the main logger; a section named again
  // continues; a key given twice keeps the later value. Every field of a
  // section is applied through the setters.
  LogManager manager;
  manager.setLoggerPath(0, "/tmp");
  manager.setLoggerName(0, "app");
  manager.setLoggerMonthdir(0, true);
  ASSERT_TRUE(manager.configFromString(
      "level=fatal\r\n\xEF\xBB\xBF[MAIN]\rlevel = INFO\r\nPath = /var/log/app\n# level=trace\n[]\n"
      "level=alarm\n[Zeta]\ndisplay = no\noutfile = FALSE\nmonthdir\nlimitsize = 10MB\nreserve = 60s\n"
      "NAME = MiXed\n"
      "Path = c:\\x # note\\\nfileline=0\n[Alpha]\ndisplay = 0\nenable = false\nlimitsize = abc\n"
      "reserve=-5\nlevel=warning\n=level=fatal\n[c]\nlevel = verbose\n[Zeta]\nlevel = ALL\nlevel = FATAL"));
  const char* expected[] = {
      "key=Main name=Main path=/var/log/app/ level=2 display=1 outfile=1 monthdir=0 limitsize=100 enable=1 "
      "fileline=1 reserve=0",
      "key=Alpha name=Alpha path=./log/ level=3 display=0 outfile=1 monthdir=0 limitsize=4294967295 enable=0 "
      "fileline=1 reserve=0",
      "key=Zeta name=MiXed path=c:\\x # note\\ level=6 display=1 outfile=0 monthdir=1 limitsize=10 enable=1 "
      "fileline=0 reserve=60",
      "key=c name=c path=./log/ level=1 display=1 outfile=1 monthdir=0 limitsize=100 enable=1 fileline=1 "
      "reserve=0"};
  ASSERT_EQ(manager.getLastId() + 1, static_cast<int>(std::size(expected)));  // new loggers in name order
  for (int id = 0; id <= manager.getLastId(); ++id)
    EXPECT_EQ(describe(manager.getLoggerInfo(id)), expected[id]);
  // The same text again changes nothing; any other text is applied, even one
  // with the same byte sum.
  const std::pair<const char*, const char*> changes[] = {
      {"[main]\npath=/var/log/app\n", "[main]\npath=/var/log/ppa\n"},
      {"[main]\nlevel=info\nname=ab\n", "[main]\nlevel=info\nname=ba\n"},
      {"[a]\nlevel=info\n[b]\nlevel=warn\n", "[a]\nlevel=warn\n[b]\nlevel=info\n"}};
  for (const auto& [first, second] : changes) {
    LogManager once, twice;
    once.configFromString(second);
    EXPECT_TRUE(twice.configFromString(first) && twice.configFromString(second));
    for (int id = 0; id <= once.getLastId(); ++id)
      EXPECT_EQ(describe(twice.getLoggerInfo(id)), describe(once.getLoggerInfo(id))) << second;
    twice.setLoggerLevel(0, marvlog::LOG_FATAL);
    EXPECT_TRUE(twice.configFromString(second));
    EXPECT_EQ(twice.getLoggerInfo(0).level, marvlog::LOG_FATAL) << second;
  }
}

TEST(LogManager, ConfigurationFileTakenOnce) {
  marvik::test::TempDir dir;
  const std::string file = dir.file("log.conf");
  LogManager manager;
  EXPECT_FALSE(manager.updateConfig());        // no file recorded
  EXPECT_FALSE(manager.config(""));            // names no file, takes no slot
  EXPECT_FALSE(manager.config(file.c_str()));  // missing, but recorded
  std::ofstream(file) << "[main]\nlevel=warn\n[net]\n";
  EXPECT_TRUE(manager.updateConfig());
  EXPECT_EQ(manager.getLoggerInfo(0).level, marvlog::LOG_WARN);
  EXPECT_EQ(manager.findLogger("net"), -1);  // reloads change existing loggers only
  // The text ends at its first NUL byte; a file over the size limit is
  // refused unread.
  std::ofstream(file, std::ios::trunc) << std::string("[main]\nlevel=fatal\n\0level=info\n", 31);
  EXPECT_TRUE(manager.updateConfig());
  std::ofstream(file, std::ios::trunc) << "[main]\nlevel=info\n"
                                       << std::string(marvlog::detail::MARVLOG_CONFIG_MAX_BYTES, '#');
  EXPECT_FALSE(manager.updateConfig());
  EXPECT_EQ(manager.getLoggerInfo(0).level, marvlog::LOG_FATAL);
  std::ofstream(dir.file("other.conf")) << "[other]\n";
  EXPECT_FALSE(manager.config(dir.file("other.conf").c_str()));
  EXPECT_EQ(manager.findLogger("other"), -1);
}

}  // namespace
