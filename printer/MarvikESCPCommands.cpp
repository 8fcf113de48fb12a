// Paper feed, head positioning and bit-image commands. Every command is
// appended to the end of the output; two-byte parameters go low byte first.
#include <algorithm>

#include "logging/marvlog.h"
#include "printer/MarvikESCP.h"

namespace {

constexpr unsigned char kCR = 0x0D;
constexpr unsigned char kESC = 0x1B;
// One ESC J moves at most 255 steps.
constexpr int64_t kMaxEscJSteps = 255;

void PutWord(std::vector<unsigned char>& out, uint64_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

}  // namespace

bool MarvikESCP::UsesFineFeed() const {
  // 24-pin printers count ESC J in 1/180 inch, so a 360 dpi row can only be
  // fed in the fine unit of ESC ( U / ESC ( v.
  return dpiY == 360 && (dpiX == 360 || pinType == PIN_TYPE_18 || pinType == PIN_TYPE_24);
}

void MarvikESCP::AddVertical(int32_t rows) {
  printerData.push_back(kCR);
  if (UsesFineFeed()) {
    AddSetUnitCmd(10);  // 1/360 inch: one bitmap row
    AddVerticalEx(rows);
    AddSetUnitCmd(60);  // back to 1/60 inch for ESC $
    return;
  }
  if (dpiY <= 0) {
    return;
  }
  int64_t units = static_cast<int64_t>(verticalUnit) * rows / dpiY;
  while (units >= kMaxEscJSteps) {
    printerData.insert(printerData.end(), {kESC, 'J', 0xFF});
    units -= kMaxEscJSteps;
  }
  if (units >= 1) {
    printerData.insert(printerData.end(), {kESC, 'J', static_cast<unsigned char>(units)});
  }
}

void MarvikESCP::AddVerticalEx(int32_t units) {
  if (pinType == PIN_TYPE_9) {
    return;
  }
  printerData.push_back(kCR);
  if (units < 0) {
    return;
  }
  // The two-byte count of ESC ( v holds at most 65535 units; a longer move is
  // sent as several full commands and one with the remainder.
  int32_t left = units;
  do {
    const int32_t part = std::min(left, kMaxCommandCount);
    printerData.insert(printerData.end(), {kESC, '(', 'v', 0x02, 0x00});
    PutWord(printerData, static_cast<uint64_t>(part));
    left -= part;
  } while (left > 0);
}

void MarvikESCP::AddSetUnitCmd(uint8_t unit) {
  if (pinType == PIN_TYPE_9) {
    return;
  }
  printerData.insert(printerData.end(), {kESC, '(', 'U', 0x01, 0x00, unit});
}

void MarvikESCP::AddHorizontal(uint64_t position) {
  printerData.insert(printerData.end(), {kESC, '$'});
  PutWord(printerData, position);
}

void MarvikESCP::AddGraphic(const unsigned char* columns, uint64_t count, uint64_t colBytes) {
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "AddGraphic in");
  if (count == 0 || columns == nullptr) {
    return;
  }
  // After ESC * the head stands at the image's right end, so a run longer than
  // the 16-bit column count continues seamlessly in the next image.
  while (count > 0) {
    const uint64_t part = std::min<uint64_t>(count, kMaxCommandCount);
    printerData.insert(printerData.end(), {kESC, '*', static_cast<unsigned char>(bitmapM & 0xFF)});
    PutWord(printerData, part);
    printerData.insert(printerData.end(), columns, columns + part * colBytes);
    columns += part * colBytes;
    count -= part;
  }
}
