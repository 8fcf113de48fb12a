// Byte sequences in tests are hex text ("1B 2A 27 0A 00") that a reader can
// hold against a printer manual.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace marvik::test {

using Bytes = std::vector<unsigned char>;

inline Bytes Hex(const std::string& text) {
  Bytes out;
  std::istringstream in(text);
  for (unsigned value; in >> std::hex >> value;) out.push_back(static_cast<unsigned char>(value));
  return out;
}

inline std::string ToHex(const Bytes& bytes) {
  std::string out;
  char pair[4];
  for (unsigned char b : bytes)
    out += (std::snprintf(pair, sizeof pair, out.empty() ? "%02X" : " %02X", b), pair);
  return out;
}

}  // namespace marvik::test
