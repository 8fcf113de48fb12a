// Transposition of bitmap rows into print-head columns (library internal).
#pragma once

#include <cstdint>
#include <vector>

namespace marvik::escp {

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

// Head passes without adjacent dots: parity 0 keeps columns 0, 2, 4, ...,
// parity 1 keeps columns 1, 3, 5, ....
// `halfInk` becomes `ink` (one bit per column, most significant first) with
// the other parity's columns and the bits past `width` cleared; false when
// no kept column holds a dot.
bool KeepInkParity(const std::vector<unsigned char>& ink, uint64_t width, unsigned parity,
                   std::vector<unsigned char>& halfInk);
// `half` becomes the `width` head columns of `colBytes` bytes in `columns`
// with the other parity's columns white.
void KeepColumnParity(const std::vector<unsigned char>& columns, uint64_t width, uint64_t colBytes,
                      unsigned parity, std::vector<unsigned char>& half);

// True when all `length` bytes of `row` are 0.
bool IsBlankRow(const unsigned char* row, uint64_t length);

}  // namespace marvik::escp
