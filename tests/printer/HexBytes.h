// Byte sequences in tests are written as hex text ("1B 2A 27 0A 00"), so a
// reader can hold them against a printer manual.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace printer_test {

using Bytes = std::vector<unsigned char>;

// "1B 40" -> {0x1B, 0x40}; blanks between pairs are optional.
inline Bytes Hex(const std::string& text) {
  Bytes out;
  int high = -1;
  for (char c : text) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (v < 0) continue;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<unsigned char>(high * 16 + v));
      high = -1;
    }
  }
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

// Concatenation of byte runs.
inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace printer_test
