// Feeds arbitrary bytes to the logging configuration parser and applies
// them to a fresh manager (never started, so nothing is written).
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "logging/ConfigParser.h"
#include "logging/LogManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::map<std::string, marvlog::LoggerInfo> sections;
  marvlog::parseConfigFromString(text, sections);
  marvlog::LogManager manager;
  manager.configFromStringImpl(text, false);
  manager.configFromStringImpl(text + "\n[main]\n", true);
  return 0;
}
