// The encoder's diagnostic lines in the main logger, in order.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "logging/marvlog.h"
#include "printer/MarvikESCP.h"

namespace {

// Messages of the main logger's lines at LOG_DEBUG: the text between the
// level name and the " file:line" suffix.
std::vector<std::string> DebugMessages(const std::string& file) {
  std::ifstream in(file);
  std::vector<std::string> out;
  std::string line;
  const std::string level = " LOG_DEBUG ";
  while (std::getline(in, line)) {
    const size_t at = line.find(level);
    const size_t suffix = line.rfind(' ');
    if (at == std::string::npos || suffix == std::string::npos || suffix <= at + level.size()) continue;
    out.push_back(line.substr(at + level.size(), suffix - at - level.size()));
  }
  return out;
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, '|')) out.push_back(item);
  return out;
}

}  // namespace

TEST(EncoderLog, GeometryAndBandLines) {
  char dir[] = "/tmp/printer-log-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  marvlog::ILogManager& log = marvlog::ILogManager::getRef();
  log.setLoggerPath(marvlog::MARVLOG_MAIN_LOGGER_ID, dir);
  log.setLoggerName(marvlog::MARVLOG_MAIN_LOGGER_ID, "encoder");
  log.setLoggerDisplay(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
  ASSERT_TRUE(log.start());

  const unsigned char page[48] = {0x80};  // one dot, top left
  MarvikESCP single(PIN_TYPE_24, 180, 180);
  single.DotMatrix2Page(page, 1, 8, 48);
  MarvikESCP twoPass(PIN_TYPE_24, 360, 360);
  twoPass.DotMatrix2Page(page, 1, 8, 48);
  log.stop();

  const std::string file = std::string(dir) + "/encoder.log";
  EXPECT_EQ(DebugMessages(file),
            Split("pinType: 24|dpiX: 180|dpiY: 180|linesPerRow: 24|verticalUnit: 180|bitmapM: 39|"
                  "OneLineToBytesSingle in|len: 0, colBytes: 3|whiteArea.size(): 0|AddGraphic in|"
                  "pinType: 24|dpiX: 360|dpiY: 360|linesPerRow: 48|verticalUnit: 360|bitmapM: 40|"
                  "len: 0, colBytes: 3|whiteArea.size(): 0|AddGraphic in|whiteArea.size(): 0|AddGraphic in"));
  unlink(file.c_str());
  rmdir(dir);
}
