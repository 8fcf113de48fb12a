// The configuration text and the logger table it fills.
#include "tests/logging/LogTestSupport.h"

namespace {

using marvik::test::describe;

TEST(LogManager, ConfigurationTextAndLoggerTable) {
  // CR and LF each end a line; settings before the first section, comments
  // and "[]" sections are ignored; a byte-order mark is not part of the
  // text; any case of "main" is the main logger; a section named again
  // continues; a key given twice keeps the later value.
  marvlog::LogManager manager;
  ASSERT_TRUE(manager.configFromString(
      "level=fatal\r\n\xEF\xBB\xBF[MAIN]\rlevel =\tINFO\t\r\nPath = /var/log/app\n# level=trace\n[]\n"
      "level=alarm\n[Main]\nreserve = +7\n[Zeta]\ndisplay = no\noutfile = FALSE\nmonthdir\n"
      "limitsize = 10MB\nreserve = 60s\nNAME = MiXed\nPath = c:\\x # note\\\nfileline=0\n[Alpha]\n"
      "display = 0\nenable = false\nlimitsize = abc\nreserve=-5\nlevel=warning\n=level=fatal\n[Zeta]\n"
      "level = ALL\nlevel = FATAL"));
  const char* expected[] = {
      "Main Main /var/log/app/ level=2 display=1 outfile=1 monthdir=0 size=100 enable=1 fileline=1 reserve=7",
      "Alpha Alpha ./log/ level=3 display=0 outfile=1 monthdir=0 size=4294967295 enable=0 fileline=1 "
      "reserve=0",
      "Zeta MiXed c:\\x # note\\ level=6 display=1 outfile=0 monthdir=1 size=10 enable=1 fileline=0 "
      "reserve=60"};
  ASSERT_EQ(manager.getLastId() + 1, static_cast<int>(std::size(expected)));  // new loggers in name order
  for (int id = 0; id <= manager.getLastId(); ++id)
    EXPECT_EQ(describe(manager.getLoggerInfo(id)), expected[id]);
  // The same text again changes nothing; another one is applied, even with
  // the same byte sum.
  const std::pair<const char*, int> texts[] = {{"[main]\nlevel=info\nname=ab\n", marvlog::LOG_INFO},
                                               {"[main]\nlevel=info\nname=ba\n", marvlog::LOG_INFO},
                                               {"[main]\nlevel=info\nname=ba\n", marvlog::LOG_FATAL}};
  for (const auto& [text, level] : texts) {
    manager.setLoggerLevel(0, marvlog::LOG_FATAL);
    EXPECT_TRUE(manager.configFromString(text));
    EXPECT_EQ(manager.getLoggerInfo(0).level, level) << text;
  }
  // Merged, even after the same text in full, a text sets only what it names (no unknown level).
  manager.setLoggerPath(0, "/m");
  EXPECT_TRUE(manager.mergeConfigFromString("[main]\nlevel=info\nname=ba\n"));
  EXPECT_TRUE(manager.mergeConfigFromString("[Alpha]\nlevel=verbose\n"));
  EXPECT_EQ(describe(manager.getLoggerInfo(0)).substr(0, 20), "Main ba /m/ level=2 ");
  EXPECT_EQ(manager.getLoggerInfo(1).level, marvlog::LOG_WARN);
  for (int i = manager.getLastId() + 1; i < marvlog::MARVLOG_LOGGER_MAX; ++i)
    EXPECT_EQ(manager.createLogger(std::to_string(i).c_str()), i);
  EXPECT_EQ(manager.createLogger("one-too-many"), -1);
}

}  // namespace
