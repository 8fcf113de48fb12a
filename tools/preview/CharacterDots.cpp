#include "tools/preview/CharacterDots.h"

#include <algorithm>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/TextState.h"

namespace marvik::preview {

namespace {

constexpr int32_t kGlyphRows = 16;
// Italics lean about 11 degrees: each pin up, this much to the right.
constexpr int64_t kItalicSlantPerPin = kPinPitch / 5;
// The outline of a missing glyph leaves the top and bottom two pins free,
// as a capital letter does.
constexpr int32_t kOutlineTop = 2;
constexpr int32_t kOutlineBottom = kCharacterPins - 3;

bool OutlineAt(int64_t column, int64_t columns, int32_t pin) {
  if (pin < kOutlineTop || pin > kOutlineBottom) return false;
  return column == 0 || column == columns - 1 || pin == kOutlineTop || pin == kOutlineBottom;
}

}  // namespace

void CharacterDots(const Glyph* glyph, int64_t cellWidth, bool letterQuality, uint8_t style,
                   std::vector<CellDot>* dots) {
  dots->clear();
  const int64_t step = letterQuality ? kLetterQualityDotStep : kDraftDotStep;
  const int64_t columns = std::max<int64_t>(1, cellWidth / step);
  for (int32_t pin = 0; pin < kCharacterPins; ++pin) {
    const int32_t row = (2 * pin + 1) * kGlyphRows / (2 * kCharacterPins);
    const int64_t y = pin * kPinPitch;
    const int64_t slant = (style & kStyleItalic) ? (kCharacterPins - 1 - pin) * kItalicSlantPerPin : 0;
    for (int64_t column = 0; column < columns; ++column) {
      const bool on =
          glyph != nullptr
              ? glyph->At(static_cast<int32_t>((2 * column + 1) * glyph->width / (2 * columns)), row)
              : OutlineAt(column, columns, pin);
      if (!on) continue;
      const int64_t x = column * step + slant;
      dots->push_back({x, y});
      if (style & kStyleBold) dots->push_back({x + kPinPitch, y});
      if (style & kStyleDoubleStrike) dots->push_back({x, y + kPinPitch});
    }
  }
  if (style & kStyleUnderline) {
    for (int64_t column = 0; column < columns; ++column) {
      dots->push_back({column * step, (kCharacterPins - 1) * kPinPitch});
    }
  }
}

}  // namespace marvik::preview
