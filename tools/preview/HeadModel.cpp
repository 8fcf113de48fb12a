#include "tools/preview/HeadModel.h"

namespace marvik::preview {

namespace {

struct ModeRow {
  uint8_t m;
  int32_t dpi;
};

// 24-dot modes: three bytes per column, dots 1/180 in apart.
constexpr ModeRow k24DotModes[] = {{32, 60}, {33, 120}, {38, 90}, {39, 180}, {40, 360}};
// 8-dot modes of the 9-pin head: one byte per column, dots 1/72 in apart,
// single density 80 dpi and double density 160 dpi.
constexpr ModeRow k8DotModes[] = {{0, 80}, {1, 160}};

}  // namespace

bool LookupImageMode(Head head, uint8_t m, ImageMode* mode) {
  if (head == Head::kPins24) {
    for (const ModeRow& row : k24DotModes) {
      if (row.m == m) {
        *mode = ImageMode{3, kUnitsPerInch / row.dpi, kUnitsPerInch / 180};
        return true;
      }
    }
    return false;
  }
  for (const ModeRow& row : k8DotModes) {
    if (row.m == m) {
      *mode = ImageMode{1, kUnitsPerInch / row.dpi, kUnitsPerInch / 72};
      return true;
    }
  }
  return false;
}

int64_t FeedStep(Head head) {
  return head == Head::kPins24 ? kUnitsPerInch / 180 : kUnitsPerInch / 144;
}

double PinDotMillimetres(Head head) {
  return head == Head::kPins24 ? 0.2 : 0.3;
}

const char* HeadName(Head head) {
  return head == Head::kPins24 ? "24-pin" : "9-pin";
}

}  // namespace marvik::preview
