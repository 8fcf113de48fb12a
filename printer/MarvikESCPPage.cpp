// Page walk: blank rows become paper feeds, every non-blank row starts a band
// as tall as one sweep of the head, and each band is sent as bit images with
// the long white runs skipped by absolute head positioning.
#include <algorithm>
#include <numeric>

#include "logging/marvlog.h"
#include "printer/BandTranspose.h"
#include "printer/MarvikESCP.h"

using marvik::escp::IsBlankRow;
using marvik::escp::KeepColumnParity;
using marvik::escp::KeepInkParity;
using marvik::escp::PassRows;
using marvik::escp::TransposePass;

namespace {

constexpr unsigned char kCR = 0x0D;
// The bit-image mode of 360 dpi across, in which many impact heads cannot
// fire one pin in two adjacent columns.
constexpr int32_t kMode360Across = 40;

}  // namespace

bool MarvikESCP::UsesDoublePass() const {
  // Bitmap rows twice as close as the head's dots: even rows, then odd rows.
  return (dpiX == 160 && dpiY == 144) || UsesFineFeed();
}

int32_t MarvikESCP::HorizontalStep() const {
  // The fewest columns that make a whole number of 1/60 inch, the unit of
  // ESC $: one unit at 120, 180 and 360 dpi, but three units of 8 columns at
  // 160 dpi and of 4 columns at 80 dpi. Below 60 dpi there is no whole step;
  // 1 keeps the arithmetic defined (the page walk refuses such a resolution).
  if (dpiX < 60) {
    return 1;
  }
  return dpiX / std::gcd(dpiX, 60);
}

int32_t MarvikESCP::HorizontalStepUnits() const {
  // ESC $ units (1/60 inch) in one HorizontalStep.
  if (dpiX < 60) {
    return 1;
  }
  return 60 / std::gcd(dpiX, 60);
}

bool MarvikESCP::CanEncode(uint64_t bytesPerLine, uint64_t width, unsigned passes) const {
  if (bytesPerLine == 0 || bytesPerLine > kMaxBytesPerLine) {
    return false;
  }
  if (width == 0 || width > 8 * bytesPerLine || width > kMaxColumns) {
    return false;
  }
  if (dpiX < 60 || dpiY <= 0) {
    return false;
  }
  if (bitmapM < 0 || bitmapM > 0xFF) {
    return false;  // no bit-image mode for this head and resolution
  }
  // Every row of a pass must fall into a whole byte of its head column.
  if (linesPerRow == 0 || linesPerRow % (8 * passes) != 0) {
    return false;
  }
  return UsesFineFeed() || verticalUnit > 0;
}

int32_t MarvikESCP::DotMatrix2Page(const unsigned char* bitmap, uint64_t bytesPerLine, uint64_t width,
                                   uint64_t height) {
  if (bitmap == nullptr) {
    return -1;
  }
  printerData.clear();
  const bool twoPasses = UsesDoublePass();
  if (!CanEncode(bytesPerLine, width, twoPasses ? 2 : 1) || height > kMaxRows ||
      bytesPerLine * height > kMaxBitmapBytes) {
    return -1;
  }
  const uint64_t bandRows = linesPerRow;
  // A double-pass band leaves the paper one row below its first row already.
  const int32_t feedAfterBand = twoPasses ? linesPerRow - 1 : linesPerRow;
  int32_t pendingFeed = rowsAbove;
  uint64_t r = 0;
  while (r < height) {
    const unsigned char* row = bitmap + r * bytesPerLine;
    if (IsBlankRow(row, bytesPerLine)) {
      ++pendingFeed;
      ++r;
      continue;
    }
    AddVertical(pendingFeed);
    // The last band may reach below the page; its missing rows print white.
    const uint64_t rows = std::min(bandRows, height - r);
    if (twoPasses) {
      EncodeDouble(row, bytesPerLine, width, rows);
    } else {
      EncodeSingle(row, bytesPerLine, width, rows);
    }
    pendingFeed = feedAfterBand;
    r += bandRows;
  }
  return 1;
}

void MarvikESCP::OneLineToBytes(const unsigned char* band, uint64_t bytesPerLine, uint64_t width) {
  if (UsesDoublePass()) {
    OneLineToBytesDouble(band, bytesPerLine, width);
  } else {
    OneLineToBytesSingle(band, bytesPerLine, width);
  }
}

int32_t MarvikESCP::OneLineToBytesSingle(const unsigned char* band, uint64_t bytesPerLine, uint64_t width) {
  if (band == nullptr || !CanEncode(bytesPerLine, width, 1)) {
    MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "OneLineToBytesSingle in");
    return -1;
  }
  EncodeSingle(band, bytesPerLine, width, linesPerRow);
  return 1;
}

int32_t MarvikESCP::OneLineToBytesDouble(const unsigned char* band, uint64_t bytesPerLine, uint64_t width) {
  if (band == nullptr || !CanEncode(bytesPerLine, width, 2)) {
    return -1;
  }
  EncodeDouble(band, bytesPerLine, width, linesPerRow);
  return 1;
}

void MarvikESCP::EncodeSingle(const unsigned char* band, uint64_t bytesPerLine, uint64_t width,
                              uint64_t rows) {
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "OneLineToBytesSingle in");
  const int32_t colBytes = linesPerRow >> 3;
  scratch.ink.assign((width + 7) / 8, 0);
  TransposePass(PassRows{band, bytesPerLine, rows, 0, 1}, width, colBytes, scratch.columns[0], scratch.ink);
  const int32_t len = FindWhiteRuns(scratch.ink, width, scratch.whiteArea);
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "len: %d, colBytes: %d", len, colBytes);
  PrepareHeadPasses(width);
  EmitPass(scratch.columns[0], colBytes, len, width);
}

void MarvikESCP::EncodeDouble(const unsigned char* band, uint64_t bytesPerLine, uint64_t width,
                              uint64_t rows) {
  const int32_t colBytes = linesPerRow >> 4;
  scratch.ink.assign((width + 7) / 8, 0);
  TransposePass(PassRows{band, bytesPerLine, rows, 0, 2}, width, colBytes, scratch.columns[0], scratch.ink);
  TransposePass(PassRows{band, bytesPerLine, rows, 1, 2}, width, colBytes, scratch.columns[1], scratch.ink);
  // One set of skipped runs serves both passes: a column is skipped only
  // when it is white in both.
  const int32_t len = FindWhiteRuns(scratch.ink, width, scratch.whiteArea);
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "len: %d, colBytes: %d", len, colBytes);
  PrepareHeadPasses(width);
  EmitPass(scratch.columns[0], colBytes, len, width);
  // A band cut to its first row has no odd rows; feeding for them anyway
  // would take the paper below the page's last row, onto the next form when
  // that row is the form's last.
  if (rows < 2) {
    return;
  }
  AddVertical(1);
  EmitPass(scratch.columns[1], colBytes, len, width);
}

bool MarvikESCP::SplitsAdjacentDots() const {
  return noAdjacentDots && bitmapM == kMode360Across;
}

void MarvikESCP::PrepareHeadPasses(uint64_t width) {
  if (!SplitsAdjacentDots()) {
    return;
  }
  // Each head pass skips its own white runs; in a two-pass band both row
  // passes share them, as they share the band's runs.
  for (unsigned parity = 0; parity < 2; ++parity) {
    scratch.halfInked[parity] = KeepInkParity(scratch.ink, width, parity, scratch.halfInk);
    scratch.halfLen[parity] = FindWhiteRuns(scratch.halfInk, width, scratch.halfRuns[parity]);
  }
}

void MarvikESCP::EmitPass(const std::vector<unsigned char>& columns, int32_t colBytes, int32_t len,
                          uint64_t width) {
  if (!SplitsAdjacentDots()) {
    OneLineToBytesSingle(columns.data(), scratch.whiteArea, colBytes, len);
    return;
  }
  // Even columns, then back to the line's start for the odd ones: no image
  // holds one pin's dots in adjacent columns. A parity without ink is left
  // out.
  bool sent = false;
  for (unsigned parity = 0; parity < 2; ++parity) {
    if (!scratch.halfInked[parity]) {
      continue;
    }
    if (sent) {
      printerData.push_back(kCR);
    }
    KeepColumnParity(columns, width, static_cast<uint64_t>(colBytes), parity, scratch.half);
    OneLineToBytesSingle(scratch.half.data(), scratch.halfRuns[parity], colBytes, scratch.halfLen[parity]);
    sent = true;
  }
}

int32_t MarvikESCP::FindWhiteRuns(const std::vector<unsigned char>& ink, uint64_t width,
                                  std::vector<int32_t>& runs) const {
  // The same runs and `len` as CalcWhiteArea column by column, found a byte
  // of eight columns at a time where the byte is all white or all ink.
  runs.clear();
  const int32_t step = HorizontalStep();
  const int32_t columns = static_cast<int32_t>(width);
  auto closeRun = [&](int32_t start, int32_t end) {
    if (start >= 0 && end - start >= dpiX) {
      runs.push_back(start);
      runs.push_back(end / step * step);
    }
  };
  int32_t start = -1;
  int32_t len = 0;
  int32_t x = 0;
  while (x < columns) {
    const unsigned char bits = ink[x >> 3];
    if ((x & 7) == 0 && x + 8 <= columns && (bits == 0 || bits == 0xFF)) {
      if (bits == 0) {
        start = start < 0 ? x : start;
      } else {
        closeRun(start, x - 1);
        start = -1;
        len = x + 7;
      }
      x += 8;
      continue;
    }
    if (bits & (0x80 >> (x & 7))) {
      closeRun(start, x - 1);
      start = -1;
      len = x;
    } else if (start < 0) {
      start = x;
    }
    ++x;
  }
  closeRun(start, columns - 1);
  return len;
}

int32_t MarvikESCP::CalcWhiteArea(bool isWhite, int32_t column, int32_t width, int32_t& start, int32_t& end,
                                  std::vector<int32_t>& whiteArea) {
  const int32_t step = HorizontalStep();
  int32_t result = 0;
  if (isWhite) {
    if (start == -1) {
      start = column;
    }
    end = column;
  } else {
    result = column;
    if (end - start >= dpiX) {
      whiteArea.push_back(start);
      whiteArea.push_back(end / step * step);
    }
    start = -1;
    end = -1;
  }
  // A run still open at the band's right edge is closed here.
  if (column == width - 1 && end - start >= dpiX) {
    whiteArea.push_back(start);
    whiteArea.push_back(end / step * step);
  }
  return result;
}

void MarvikESCP::OneLineToBytesSingle(const unsigned char* columns, const std::vector<int32_t>& whiteArea,
                                      int32_t colBytes, int32_t len) {
  if (columns == nullptr || colBytes <= 0) {
    return;
  }
  const int32_t step = HorizontalStep();
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "whiteArea.size(): %d",
              static_cast<int>(whiteArea.size()));
  const uint64_t stride = static_cast<uint64_t>(colBytes);
  int32_t next = 0;
  for (size_t i = 0; i + 1 < whiteArea.size(); i += 2) {
    const int32_t start = whiteArea[i];
    const int32_t end = whiteArea[i + 1];
    AddGraphic(columns + next * stride, start > next ? start - next : 0, stride);
    if (end < len) {
      AddHorizontal(static_cast<uint64_t>(end / step) * static_cast<uint64_t>(HorizontalStepUnits()));
    }
    // ESC $ leaves the head at column `end` (a white column, rounded down to
    // a whole step), so the next image starts with that very column.
    next = end;
  }
  if ((whiteArea.empty() || whiteArea.back() < len) && len >= next) {
    AddGraphic(columns + next * stride, static_cast<uint64_t>(len - next) + 1, stride);
  }
}
