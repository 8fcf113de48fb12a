// Feeds arbitrary bytes to the logging configuration parser by applying
// them to a fresh manager, as a text and as a reload (never started, so
// nothing is written).
#include <cstddef>
#include <cstdint>
#include <string>

#include "logging/LogManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  marvlog::LogManager manager;
  manager.configFromStringImpl(text, false);
  manager.configFromStringImpl(text + "\n[main]\n", true);
  return 0;
}
