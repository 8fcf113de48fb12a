// What the printer's text commands set — pitch, quality, line spacing,
// margins, tab stops, styles, character tables — with the values ESC @ gives
// them, and how a printed byte becomes a character.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/preview/HeadModel.h"

namespace marvik::preview {

enum class Pitch { k10, k12, k15 };

// Width of one character, device units: 1/10, 1/12 and 1/15 in; condensed
// 10 and 12 cpi are 17.1 and 20 cpi, and 15 cpi has no condensed form.
int64_t CharacterWidth(Pitch pitch, bool condensed);

// The right margin of a printer that got no ESC Q: the 8 in of a narrow
// carriage, 80 columns at 10 cpi.
constexpr int64_t kDefaultRightMargin = 8 * kUnitsPerInch;
// Tab stops without ESC D: every 8 columns of the current pitch.
constexpr int64_t kDefaultTabColumns = 8;
// ESC D sets at most this many stops.
constexpr size_t kMaxTabStops = 32;
// The dot grid of a character: the pins 1/180 in apart, letter quality
// 1/360 in across, draft 1/120 in.
constexpr int32_t kCharacterPins = 24;
constexpr int64_t kLetterQualityDotStep = kUnitsPerInch / 360;
constexpr int64_t kDraftDotStep = kUnitsPerInch / 120;

// A slot's table: an index into text::kCharacterTables, or the italic table
// (the ASCII characters in italics at 0xA0 to 0xFE).
constexpr int8_t kItalicTable = -1;

struct TextState {
  Pitch pitch = Pitch::k10;
  bool condensed = false;
  bool letterQuality = false;
  int64_t lineSpacing = kSixthInch;
  int64_t leftMargin = 0;  // device units from the left end of the carriage
  int64_t rightMargin = kDefaultRightMargin;
  bool customTabs = false;
  std::vector<int64_t> tabs;  // with customTabs: device units from the left margin
  uint8_t style = 0;          // Style bits
  // After ESC @ slot 0 holds the italic table and the others PC437; slot 1
  // is in use.
  std::array<int8_t, 4> slots{kItalicTable, 0, 0, 0};
  int32_t slot = 1;
  int64_t skipPerforation = 0;  // ESC N: device units above the next top of form

  int64_t width() const { return CharacterWidth(pitch, condensed); }
  int8_t table() const { return slots[static_cast<size_t>(slot)]; }
};

// The character `byte` prints in `table`, or 0 when it prints none.
char32_t DecodeByte(int8_t table, uint8_t byte);
// Whether `table` holds the character.
bool TableHas(int8_t table, char32_t codePoint);
// The table whose ESC ( t number and variant these are; false for one the
// printer does not have.
bool FindTable(uint8_t number, uint8_t variant, int8_t* table);

}  // namespace marvik::preview
