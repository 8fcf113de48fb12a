// Media options and the gray (halftone) form of a page.
#include <string>
#include <vector>

#include "printer/DotMatrixPrinter.h"

namespace {

constexpr int32_t kKeyEjectPage = -1;
constexpr int32_t kKeyUniDirection = 1;
constexpr int32_t kKeyPrintMode = 100;
constexpr int32_t kKeyMediaOption = 101;
constexpr int32_t kKeyPageCut = 102;

constexpr const char* kBothDirections = "<1B>U<00>";
constexpr const char* kOneDirection = "<1B>U<01>";
constexpr const char* kCashPulse = "<1B><70><00><33><00>";
constexpr const char* kBlackMarkFeed = "<1d><0c>";
constexpr const char* kCutPartial = "<1d>V<4270>";
constexpr const char* kCutFull = "<1d>V<4201>";
constexpr const char* kCutPlain = "<1d>V<01>";

MarvikESCP::Halftone HalftoneByName(const std::string& name) {
  if (name == "HT_PATSIZE_SUPERCELL_M") {
    return MarvikESCP::HT_SUPERCELL;
  }
  if (name == "HT_PATSIZE_6x6_M") {
    return MarvikESCP::HT_6X6;
  }
  if (name == "HT_PATSIZE_8x8_M") {
    return MarvikESCP::HT_8X8;
  }
  return MarvikESCP::HT_AUTO;
}

// Packs one dot byte per pixel into bits, most significant bit first.
void PackDots(const std::vector<unsigned char>& dots, uint64_t stride, uint64_t width, uint64_t height,
              uint64_t packedStride, std::vector<unsigned char>& packed) {
  packed.assign(packedStride * height, 0);
  for (uint64_t y = 0; y < height; ++y) {
    const unsigned char* src = dots.data() + y * stride;
    unsigned char* dst = packed.data() + y * packedStride;
    for (uint64_t x = 0; x < width; ++x) {
      if (src[x] != 0) {
        dst[x >> 3] |= static_cast<unsigned char>(0x80 >> (x & 7));
      }
    }
  }
}

}  // namespace

void DotMatrixPrinter::SetPaperType(const std::string& paperType) {
  if (paperType != "TICKET") {
    SetEjectPage();
  }
}

void DotMatrixPrinter::SetEjectPage() {
  endPageCmds[kKeyEjectPage] = "<0C>";
}

void DotMatrixPrinter::SetPrintMode(const std::string& mode) {
  startDocCmds[kKeyPrintMode] = mode == "SIMPLEPRN" ? kOneDirection : kBothDirections;
}

void DotMatrixPrinter::SetUniDirection(bool oneDirection) {
  startDocCmds[kKeyUniDirection] = oneDirection ? kOneDirection : kBothDirections;
}

void DotMatrixPrinter::SetNoAdjacentDots(bool on) {
  escp.SetNoAdjacentDots(on);
}

void DotMatrixPrinter::SetCashMode(const std::string& mode) {
  if (mode == "Option2") {
    endDocCmds[kKeyMediaOption] = kCashPulse;
  } else if (mode == "Option3") {
    startDocCmds[kKeyMediaOption] = kCashPulse;
  }
}

void DotMatrixPrinter::SetBlackMarkMode(const std::string& mode) {
  if (mode == "Option2") {
    endPageCmds[kKeyMediaOption] = kBlackMarkFeed;
  } else if (mode == "Option3") {
    startPageCmds[kKeyMediaOption] = kBlackMarkFeed;
  }
}

void DotMatrixPrinter::SetCutterMode(const std::string& mode, const std::string& cutOption) {
  if (mode == "Option4") {
    endPageCmds[kKeyPageCut] = kCutPlain;
    return;
  }
  const char* cut = nullptr;
  if (cutOption == "Option1") {
    cut = kCutPartial;
  } else if (cutOption == "Option2" || cutOption == "Option3") {
    cut = kCutFull;
  }
  if (cut == nullptr) {
    return;
  }
  if (mode == "Option2") {
    endDocCmds[kKeyMediaOption] = cut;
  } else if (mode == "Option3") {
    endPageCmds[kKeyPageCut] = cut;
  }
}

int32_t DotMatrixPrinter::SetPage(const unsigned char* gray, uint64_t bytesPerLine, uint64_t width,
                                  uint64_t height, const std::string& halftone) {
  if (gray == nullptr) {
    return -1;
  }
  // Gray rows hold one byte per pixel; check the sizes before allocating.
  if (bytesPerLine == 0 || bytesPerLine > MarvikESCP::kMaxBytesPerLine || width == 0 ||
      width > bytesPerLine || width > MarvikESCP::kMaxColumns || height == 0 ||
      height > MarvikESCP::kMaxRows || bytesPerLine * height > static_cast<uint64_t>(INT32_MAX)) {
    return -1;
  }
  std::vector<unsigned char> dots(bytesPerLine * height, 0);
  if (MarvikESCP::Gray2DotMatrix(gray, static_cast<int32_t>(bytesPerLine), static_cast<int32_t>(width),
                                 static_cast<int32_t>(height), dots, HalftoneByName(halftone)) < 0) {
    return -1;
  }
  const uint64_t packedStride = (width + 7) / 8;
  std::vector<unsigned char> packed;
  PackDots(dots, bytesPerLine, width, height, packedStride, packed);
  dots = std::vector<unsigned char>();  // give the unpacked page back before the walk
  return escp.DotMatrix2Page(packed.data(), packedStride, width, RowsOnForm(height));
}
