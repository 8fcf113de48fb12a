// The page walk with arbitrary geometry, sizes and bitmaps. A refused page
// leaves an empty body; an encoded one must be nothing but well-formed
// commands whose bit images carry exactly their columns' bytes.
#include <cstdint>
#include <vector>

#include "printer/MarvikESCP.h"

namespace {

constexpr pin_type_e kPins[] = {PIN_TYPE_9, PIN_TYPE_18, PIN_TYPE_24, static_cast<pin_type_e>(12)};
constexpr int32_t kDpiX[] = {60, 80, 120, 160, 180, 360, 59, 0, 720, 90};
constexpr int32_t kDpiY[] = {72, 144, 180, 360, 0, -180, 720, 90};
constexpr uint64_t kMaxFuzzWidth = 2048;
constexpr uint64_t kMaxFuzzHeight = 600;

// Walks the body command by command: CR, ESC J n, ESC $ nL nH, ESC ( U with
// one byte, ESC ( v with two, ESC * with a non-empty image.
bool WellFormed(const std::vector<unsigned char>& body, uint64_t colBytes) {
  for (size_t i = 0, n = body.size(); i < n;) {
    const auto has = [&](size_t count) { return i + count <= n; };
    const unsigned char c = has(2) && body[i] == 0x1B ? body[i + 1] : 0;
    size_t length = body[i] == 0x0D ? 1 : 0;
    if (c == 'J' || c == '$') length = c == 'J' ? 3 : 4;
    if (c == '(' && has(5) && body[i + 4] == 0 && (body[i + 2] == 'U' || body[i + 2] == 'v')) {
      length = body[i + 2] == 'U' && body[i + 3] == 1 ? 6 : body[i + 2] == 'v' && body[i + 3] == 2 ? 7 : 0;
    }
    if (c == '*' && has(5)) length = 5 + (body[i + 3] | (body[i + 4] << 8)) * colBytes;
    if (length == 0 || length == 5 || !has(length)) return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 10) return 0;
  MarvikESCP enc(kPins[data[0] % 4], kDpiX[data[1] % 10], kDpiY[data[2] % 8]);
  if (data[3] & 1) enc.SetLinesPerRow(data[4]);
  enc.SetNoAdjacentDots((data[3] & 2) != 0);
  enc.SetRowsAbove((data[3] >> 2) - 8);
  const uint64_t width = (data[5] | (data[6] << 8)) % (kMaxFuzzWidth + 1);
  uint64_t bytesPerLine = (width + 7) / 8 + (data[7] & 3);
  if ((data[7] & 0x80) && bytesPerLine > 0) --bytesPerLine;  // may leave the width wider than the row
  const uint64_t height = (data[8] | (data[9] << 8)) % (kMaxFuzzHeight + 1);
  std::vector<unsigned char> bitmap(bytesPerLine * height + 1, 0);  // +1: never a null pointer
  for (size_t i = 0; size > 10 && i + 1 < bitmap.size(); ++i) bitmap[i] = data[10 + i % (size - 10)];
  enc.PrinterData().assign(4, 0xEE);
  const int32_t result = enc.DotMatrix2Page(bitmap.data(), bytesPerLine, width, height);
  if (result == -1 && !enc.PrinterData().empty()) __builtin_trap();
  if (result == -1) return 0;
  const bool twoPasses = (enc.DpiX() == 160 && enc.DpiY() == 144) ||
                         (enc.DpiY() == 360 && (enc.DpiX() == 360 || enc.PinType() != PIN_TYPE_9));
  if (result != 1 || !WellFormed(enc.PrinterData(), enc.LinesPerRow() / (twoPasses ? 16 : 8)))
    __builtin_trap();
  return 0;
}
