#include "tools/preview/TextState.h"

#include "text/CharacterTables.h"

namespace marvik::preview {

namespace {

constexpr uint8_t kFirstPrintable = 0x20;
constexpr uint8_t kLastPrintable = 0x7E;
// The italic table repeats ASCII 0x20 to 0x7E from 0xA0 up, in italics.
constexpr uint8_t kItalicOffset = 0x80;

// The tables, built once from the C library's character sets.
const std::vector<text::CharacterMap>& Maps() {
  static const std::vector<text::CharacterMap> maps = [] {
    std::vector<text::CharacterMap> built;
    built.reserve(text::kCharacterTables.size());
    for (const text::CharacterTableInfo& info : text::kCharacterTables) built.emplace_back(info.table);
    return built;
  }();
  return maps;
}

bool Ascii(char32_t c) {
  return c >= kFirstPrintable && c <= kLastPrintable;
}

}  // namespace

int64_t CharacterWidth(Pitch pitch, bool condensed) {
  switch (pitch) {
    case Pitch::k10:
      return condensed ? kUnitsPerInch * 7 / 120 : kUnitsPerInch / 10;
    case Pitch::k12:
      return condensed ? kUnitsPerInch / 20 : kUnitsPerInch / 12;
    case Pitch::k15:
      break;
  }
  return kUnitsPerInch / 15;
}

char32_t DecodeByte(int8_t table, uint8_t byte) {
  if (table == kItalicTable) {
    if (Ascii(byte)) return byte;
    return byte >= kItalicOffset && Ascii(static_cast<char32_t>(byte - kItalicOffset)) ? byte - kItalicOffset
                                                                                       : 0;
  }
  if (table < 0 || static_cast<size_t>(table) >= Maps().size()) return 0;
  const text::CharacterMap& map = Maps()[static_cast<size_t>(table)];
  // Without the character set, ASCII still prints.
  if (!map.Ok()) return Ascii(byte) ? byte : 0;
  return map.Decode(byte);
}

bool TableHas(int8_t table, char32_t codePoint) {
  if (table == kItalicTable) return Ascii(codePoint);
  if (table < 0 || static_cast<size_t>(table) >= Maps().size()) return false;
  const text::CharacterMap& map = Maps()[static_cast<size_t>(table)];
  return map.Ok() ? map.Encode(codePoint) >= 0 : Ascii(codePoint);
}

bool FindTable(uint8_t number, uint8_t variant, int8_t* table) {
  // 0 0 is the italic table.
  if (number == 0 && variant == 0) {
    *table = kItalicTable;
    return true;
  }
  for (size_t i = 0; i < text::kCharacterTables.size(); ++i) {
    if (text::kCharacterTables[i].number == number && text::kCharacterTables[i].variant == variant) {
      *table = static_cast<int8_t>(i);
      return true;
    }
  }
  return false;
}

}  // namespace marvik::preview
