#include "logging/LogStream.h"

#include <cstring>

namespace marvlog {
namespace {

// Two digits per table step keeps number formatting to one division per pair.
struct DigitTables {
  char dec[200];
  char hex[512];
  constexpr DigitTables() : dec(), hex() {
    const char* digits = "0123456789ABCDEF";
    for (int i = 0; i < 100; ++i) {
      dec[2 * i] = static_cast<char>('0' + i / 10);
      dec[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    for (int i = 0; i < 256; ++i) {
      hex[2 * i] = digits[i >> 4];
      hex[2 * i + 1] = digits[i & 15];
    }
  }
};

constexpr DigitTables kTables;
constexpr const char* kLowerDigits = "0123456789abcdef";
constexpr int kScratch = 64;

}  // namespace

LogStream::LogStream(char* buffer, int length)
    : begin(buffer), end(buffer + (length > 0 ? length : 0)), cur(buffer) {}

LogStream& LogStream::writeChar(char c) {
  if (end - cur > 1) *cur++ = c;
  return *this;
}

LogStream& LogStream::writeString(const char* s, size_t n) {
  size_t room = static_cast<size_t>(end - cur);
  if (n > room) n = room;
  if (n > 0) {
    std::memcpy(cur, s, n);
    cur += n;
  }
  return *this;
}

LogStream& LogStream::writeString(const char* s) {
  return writeString(s, std::strlen(s));
}

LogStream& LogStream::writeLongLong(long long value, int width, int base) {
  unsigned long long magnitude = static_cast<unsigned long long>(value);
  if (value < 0) {
    writeChar('-');
    magnitude = 0ULL - magnitude;
  }
  return writeULongLong(magnitude, width, base);
}

LogStream& LogStream::writeULongLong(unsigned long long value, int width, int base) {
  if (end - cur <= kScratch) return *this;
  if (base < 2 || base > 16) return *this;
  if (width > kScratch) width = kScratch;
  char scratch[kScratch];
  int k = 0;
  char* p = scratch + kScratch;
  if (base == 10) {
    do {
      const char* pair = kTables.dec + 2 * (value % 100);
      *--p = pair[1];
      *--p = pair[0];
      value /= 100;
      k += 2;
    } while (value != 0);
  } else if (base == 16) {
    do {
      const char* pair = kTables.hex + 2 * (value & 0xFF);
      *--p = pair[1];
      *--p = pair[0];
      value >>= 8;
      k += 2;
    } while (value != 0);
  } else {
    do {
      *--p = kLowerDigits[value % static_cast<unsigned>(base)];
      value /= static_cast<unsigned>(base);
      k += 1;
    } while (value != 0);
  }
  if ((base == 10 || base == 16) && k > 1 && *p == '0') {
    ++p;
    --k;
  }
  while (k < width) {
    *--p = '0';
    ++k;
  }
  return writeString(p, static_cast<size_t>(k));
}

}  // namespace marvlog
