// Command notation: "<1B>@" is ESC @; hex pairs inside angle brackets, every
// other character as its own byte.
#include <string>
#include <vector>

#include "printer/MarvikESCP.h"

void MarvikESCP::SequenceToByte(const std::string& text, std::vector<unsigned char>& out) {
  out.clear();
  const size_t n = text.size();
  size_t pos = 0;
  while (pos < n) {
    if (text[pos] != '<') {
      out.push_back(static_cast<unsigned char>(text[pos]));
      ++pos;
      continue;
    }
    ++pos;
    // A pair needs two characters before the end of the text; a lone digit
    // or a group that never closes is dropped rather than read past the end.
    while (pos < n && text[pos] != '>') {
      if (pos + 1 >= n) {
        return;
      }
      out.push_back(static_cast<unsigned char>(HexToNum(text.c_str() + pos) & 0xFF));
      pos += 2;
    }
    ++pos;  // past the '>' (or past the end, which ends the loop)
  }
}

int32_t MarvikESCP::HexToNum(const char* text) {
  return 16 * Char2Num(text[0]) + Char2Num(text[1]);
}

int32_t MarvikESCP::Char2Num(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

void MarvikESCP::NumSplit(uint32_t value, std::vector<unsigned char>& out) {
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) {
    out.push_back(static_cast<unsigned char>(digits[--count]));
  }
}

std::string MarvikESCP::Num2String(int32_t value) {
  return value < 0 ? std::string() : std::to_string(value);
}
