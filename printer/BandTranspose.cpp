// Rows become head columns through 8 x 8 bit-block transposes on 64-bit
// words; blocks without ink are skipped, since the column buffer starts zeroed.
#include "printer/BandTranspose.h"

#include <algorithm>
#include <cstring>

namespace marvik::escp {

namespace {

// Word layout: byte i from the top holds row i, bit 7 - c of that byte column
// c. The transpose swaps rows and columns, so byte c from the top then holds
// column c with row 0 in its most significant bit, the head's column layout.
inline uint64_t Transpose8x8(uint64_t x) {
  uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
  x ^= t ^ (t << 7);
  t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
  x ^= t ^ (t << 14);
  t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
  x ^= t ^ (t << 28);
  return x;
}

inline unsigned char FoldBytes(uint64_t x) {
  x |= x >> 32;
  x |= x >> 16;
  x |= x >> 8;
  return static_cast<unsigned char>(x);
}

}  // namespace

void TransposePass(const PassRows& rows, uint64_t width, uint64_t colBytes,
                   std::vector<unsigned char>& columns, std::vector<unsigned char>& ink) {
  const uint64_t blocks = (width + 7) / 8;
  columns.assign(width * colBytes, 0);
  for (uint64_t k = 0; k < colBytes; ++k) {
    // The up to eight rows of output byte k that lie inside the bitmap; the
    // rows of a pass grow downwards, so the present ones come first.
    const unsigned char* src[8];
    int present = 0;
    for (int j = 0; j < 8; ++j) {
      const uint64_t bandRow = rows.first + rows.stride * (8 * k + j);
      if (bandRow >= rows.available) {
        break;
      }
      src[present++] = rows.band + bandRow * rows.bytesPerLine;
    }
    if (present == 0) {
      continue;
    }
    unsigned char* out = columns.data() + k;
    for (uint64_t b = 0; b < blocks; ++b) {
      uint64_t x = 0;
      for (int j = 0; j < present; ++j) {
        x |= static_cast<uint64_t>(src[j][b]) << (56 - 8 * j);
      }
      if (x == 0) {
        continue;
      }
      ink[b] |= FoldBytes(x);
      x = Transpose8x8(x);
      const uint64_t firstColumn = 8 * b;
      const uint64_t count = std::min<uint64_t>(8, width - firstColumn);
      unsigned char* dst = out + firstColumn * colBytes;
      for (uint64_t c = 0; c < count; ++c) {
        dst[c * colBytes] = static_cast<unsigned char>(x >> (56 - 8 * c));
      }
    }
  }
}

bool KeepInkParity(const std::vector<unsigned char>& ink, uint64_t width, unsigned parity,
                   std::vector<unsigned char>& halfInk) {
  // Ink bits are most significant first: even columns are bits 7, 5, 3, 1.
  const unsigned char keep = parity == 0 ? 0xAA : 0x55;
  halfInk.resize(ink.size());
  for (size_t b = 0; b < ink.size(); ++b) {
    halfInk[b] = ink[b] & keep;
  }
  // Ink past the width (padding bits of the rows) is not printed.
  if (width % 8 != 0 && !halfInk.empty()) {
    halfInk.back() &= static_cast<unsigned char>(0xFF00u >> (width % 8));
  }
  unsigned char any = 0;
  for (unsigned char byte : halfInk) {
    any |= byte;
  }
  return any != 0;
}

void KeepColumnParity(const std::vector<unsigned char>& columns, uint64_t width, uint64_t colBytes,
                      unsigned parity, std::vector<unsigned char>& half) {
  half.assign(width * colBytes, 0);
  for (uint64_t x = parity; x < width; x += 2) {
    std::memcpy(half.data() + x * colBytes, columns.data() + x * colBytes, colBytes);
  }
}

bool IsBlankRow(const unsigned char* row, uint64_t length) {
  uint64_t i = 0;
  uint64_t acc = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, row + i, sizeof word);
    acc |= word;
    if (acc != 0) {
      return false;
    }
  }
  for (; i < length; ++i) {
    acc |= row[i];
  }
  return acc == 0;
}

}  // namespace marvik::escp
