// The dots one character prints: its glyph scaled to the character cell on
// the head's dot grid, with the dots its style adds.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/preview/GlyphFont.h"

namespace marvik::preview {

struct CellDot {
  int64_t x = 0;  // device units from the cell's left edge
  int64_t y = 0;  // device units from the top pin
};

// The glyph's 16 rows fill the 24 pins (24/180 in) and its columns the
// cell's width, one dot per step of the quality's grid. Bold strikes every
// dot again 1/180 in to the right, double-strike one pin lower, italic
// slants the glyph, underline adds the bottom pin across the cell. Without a
// glyph the cell's outline stands in for it. Fills *dots (cleared first).
void CharacterDots(const Glyph* glyph, int64_t cellWidth, bool letterQuality, uint8_t style,
                   std::vector<CellDot>* dots);

}  // namespace marvik::preview
