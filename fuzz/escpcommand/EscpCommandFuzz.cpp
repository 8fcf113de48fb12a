// Arbitrary texts through the command notation converter: never more bytes
// than characters, and a text without any group converts to itself. A read
// past the end shows under the sanitizers.
#include <cstdint>
#include <string>
#include <vector>

#include "printer/MarvikESCP.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<unsigned char> out(3, 0xEE);
  MarvikESCP::SequenceToByte(text, out);
  if (out.size() > size ||
      (text.find('<') == std::string::npos && std::string(out.begin(), out.end()) != text)) {
    __builtin_trap();
  }
  return 0;
}
