// Arbitrary bytes as a fresh manager's configuration text, merged, and as a
// reload (never started, so nothing is written).
#include <cstddef>
#include <cstdint>
#include <string>

#include "logging/LogManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  marvlog::LogManager manager;
  manager.configFromStringImpl(text, false);
  manager.configFromStringImpl(text, false, true);
  manager.configFromStringImpl(text + "\n[main]\n", true);
  return 0;
}
