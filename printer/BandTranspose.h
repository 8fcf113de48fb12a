// Transposition of bitmap rows into print-head columns (library internal).
#pragma once

#include <cstdint>
#include <vector>

namespace marvik_detail {

// Which band rows form one pass: pass row i is band row first + i * stride.
struct PassRows {
  const unsigned char* band;  // first row of the band
  uint64_t bytesPerLine;
  uint64_t available;  // band rows inside the bitmap; rows below them are white
  uint64_t first;
  uint64_t stride;
};

// Fills `columns` with `width` head columns of `colBytes` bytes: byte k of a
// column holds pass rows 8k to 8k + 7, the upper row in the most significant
// bit. ORs the ink of every row read into `ink` (one byte per eight columns,
// most significant bit first), which the caller sizes and clears.
void TransposePass(const PassRows& rows, uint64_t width, uint64_t colBytes,
                   std::vector<unsigned char>& columns, std::vector<unsigned char>& ink);

// True when all `length` bytes of `row` are 0.
bool IsBlankRow(const unsigned char* row, uint64_t length);

}  // namespace marvik_detail
