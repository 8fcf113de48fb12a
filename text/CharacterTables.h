// The printer's resident character tables: which ones a text job may ask
// for, how the printer is told to use one, and how characters map to the
// table's bytes. The mappings come from the C library's character sets
// (iconv), so no code page is typed in by hand.
#pragma once

#include <array>
#include <cstdint>

namespace marvik::text {

enum class CharacterTable { kPc437, kPc850, kPc858, kIso8859_1, kIso8859_15 };

struct CharacterTableInfo {
  CharacterTable table;
  const char* keyword;  // the job option's value, the same in the PPD and over IPP
  const char* label;    // what a user reads in a print dialog
  const char* iconvName;
  // ESC ( t 3 0 slot d2 d3: the table's number in the printer's list.
  unsigned char number;
  unsigned char variant;
};

// Every table, the printer's default (PC437) first.
extern const std::array<CharacterTableInfo, 5> kCharacterTables;

const CharacterTableInfo& InfoOf(CharacterTable table);
// The table named by `keyword`, or null for a name that is not one of ours.
const CharacterTableInfo* FindCharacterTable(const char* keyword);

// One table's bytes and characters in both directions. Bytes below 0x20, 0x7F
// and those the character set leaves undefined or uses for controls (0x80 to
// 0x9F of the ISO tables) are no printable character.
class CharacterMap {
 public:
  // Builds both directions once; Ok() is false only when the C library lacks
  // the character set.
  explicit CharacterMap(CharacterTable table);

  bool Ok() const { return ok_; }
  // The table's byte for `codePoint`, or -1 when the table lacks it.
  int Encode(char32_t codePoint) const;
  // The character the printer prints for `byte`, or 0 for none.
  char32_t Decode(unsigned char byte) const { return decode_[byte]; }

 private:
  bool ok_ = false;
  std::array<char32_t, 256> decode_{};
};

}  // namespace marvik::text
