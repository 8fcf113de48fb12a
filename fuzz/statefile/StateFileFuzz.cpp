// Arbitrary bytes as the server's state file. The check keeps only what PAPPL
// can load, so what it keeps passes a second check whole and unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "printer-app/StateFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const marvik::app::CheckedState checked =
      marvik::app::CheckState(std::string_view(reinterpret_cast<const char*>(data), size));
  const marvik::app::CheckedState again = marvik::app::CheckState(checked.text);
  if (again.text != checked.text || !again.dropped.empty()) __builtin_trap();
  return 0;
}
