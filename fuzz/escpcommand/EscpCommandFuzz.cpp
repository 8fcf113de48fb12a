// Arbitrary texts through the command notation converter: it must never read
// past the end of the text, and never produce more bytes than characters.
#include <cstdint>
#include <string>
#include <vector>

#include "printer/MarvikESCP.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exactly sized heap copy, so that any read past the end is seen.
  const std::vector<char> exact(data, data + size);
  const std::string text(exact.begin(), exact.end());
  std::vector<unsigned char> out(3, 0xEE);
  MarvikESCP::SequenceToByte(text, out);
  // Text without any group converts to itself.
  if (out.size() > size ||
      (text.find('<') == std::string::npos && std::string(out.begin(), out.end()) != text)) {
    __builtin_trap();
  }
  return 0;
}
