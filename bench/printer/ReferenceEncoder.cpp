#include "bench/printer/ReferenceEncoder.h"

#include <algorithm>
#include <vector>

namespace marvik::bench {

namespace {

bool TwoPasses(const MarvikESCP& enc) {
  const int x = enc.DpiX();
  const int y = enc.DpiY();
  const bool fine = y == 360 && (x == 360 || enc.PinType() == PIN_TYPE_18 || enc.PinType() == PIN_TYPE_24);
  return (x == 160 && y == 144) || fine;
}

bool RowIsBlank(const unsigned char* row, uint64_t bytesPerLine) {
  for (uint64_t i = 0; i < bytesPerLine; ++i) {
    if (row[i] != 0) return false;
  }
  return true;
}

}  // namespace

void ReferenceEncodePage(MarvikESCP& enc, const unsigned char* bitmap, uint64_t bytesPerLine, uint64_t width,
                         uint64_t height) {
  enc.PrinterData().clear();
  const uint64_t passes = TwoPasses(enc) ? 2 : 1;
  const uint64_t bandRows = enc.LinesPerRow();
  const uint64_t passRows = bandRows / passes;
  const uint64_t colBytes = passRows / 8;
  int32_t pending = 0;
  for (uint64_t r = 0; r < height;) {
    if (RowIsBlank(bitmap + r * bytesPerLine, bytesPerLine)) {
      ++pending;
      ++r;
      continue;
    }
    enc.AddVertical(pending);
    std::vector<std::vector<unsigned char>> buffers(passes, std::vector<unsigned char>(width * colBytes, 0));
    std::vector<int32_t> whiteArea;
    int32_t start = -1, end = -1, len = 0;
    for (uint64_t x = 0; x < width; ++x) {
      bool white = true;
      for (uint64_t p = 0; p < passes; ++p) {
        for (uint64_t i = 0; i < passRows; ++i) {
          const uint64_t row = r + p + passes * i;
          if (row >= height) continue;  // below the page: white
          const unsigned bit = (bitmap[row * bytesPerLine + x / 8] >> (7 - x % 8)) & 1u;
          buffers[p][x * colBytes + i / 8] |= static_cast<unsigned char>(bit << (7 - i % 8));
          white = white && bit == 0;
        }
      }
      len = std::max(len, enc.CalcWhiteArea(white, static_cast<int32_t>(x), static_cast<int32_t>(width),
                                            start, end, whiteArea));
    }
    enc.OneLineToBytesSingle(buffers[0].data(), whiteArea, static_cast<int32_t>(colBytes), len);
    if (passes == 2) {
      enc.AddVertical(1);
      enc.OneLineToBytesSingle(buffers[1].data(), whiteArea, static_cast<int32_t>(colBytes), len);
    }
    pending = static_cast<int32_t>(bandRows - (passes == 2 ? 1 : 0));
    r += bandRows;
  }
}

}  // namespace marvik::bench
