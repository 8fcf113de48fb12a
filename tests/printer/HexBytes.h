// Byte sequences in tests are hex text ("1B 2A 27 0A 00") that a reader can
// hold against a printer manual.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace printer_test {

using Bytes = std::vector<unsigned char>;

// "1B 40" -> {0x1B, 0x40}; pairs separated by blanks.
inline Bytes Hex(const std::string& text) {
  Bytes out;
  std::istringstream in(text);
  unsigned value;
  while (in >> std::hex >> value) out.push_back(static_cast<unsigned char>(value));
  return out;
}

// {0x1B, 0x40} -> "1B 40", for readable failure messages.
inline std::string ToHex(const Bytes& bytes) {
  std::string out;
  char pair[4];
  for (unsigned char b : bytes) {
    std::snprintf(pair, sizeof pair, out.empty() ? "%02X" : " %02X", b);
    out += pair;
  }
  return out;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace printer_test
