// The bitmap font the preview draws characters with: GNU Unifont's .hex
// file (Debian package unifont), one glyph of 8 or 16 x 16 pixels for every
// character of the Basic Multilingual Plane, the printer's tables included.
//
// The file is read the first time a glyph is asked for, so that a job of
// bit images never pays for it. A missing or unreadable file leaves the font
// empty: characters are then drawn as outlines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace marvik::preview {

constexpr char kUnifontPath[] = "/usr/share/unifont/unifont.hex";
constexpr char kUnifontPackage[] = "unifont";
// Larger than the 3.7 MB the package ships, far below what would hurt.
constexpr size_t kMaxFontBytes = size_t{32} << 20;

struct Glyph {
  int32_t width = 8;  // 8 or 16
  // 16 rows from the top, the leftmost pixel in the most significant of
  // `width` bits.
  std::array<uint16_t, 16> rows{};
  bool At(int32_t column, int32_t row) const { return (rows[row] >> (width - 1 - column)) & 1u; }
};

using GlyphList = std::vector<std::pair<char32_t, Glyph>>;

// The glyphs of the text of a .hex file, sorted: lines "XXXX:" followed by
// 32 or 64 hex digits. Malformed lines are passed over.
GlyphList ParseHexFont(const char* text, size_t size);

class GlyphFont {
 public:
  explicit GlyphFont(std::string path) : path_(std::move(path)) {}

  // The glyph of a character, or null when the font lacks it.
  const Glyph* Find(char32_t codePoint) const;
  // True once a glyph was asked for and the file could not be read.
  bool missing() const { return tried_ && glyphs_.empty(); }
  const std::string& path() const { return path_; }
  const std::string& problem() const { return problem_; }

 private:
  void Load() const;

  std::string path_;
  // Filled on first use; the preview runs in one thread.
  mutable bool tried_ = false;
  mutable std::string problem_;
  mutable GlyphList glyphs_;
};

}  // namespace marvik::preview
