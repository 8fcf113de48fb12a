#include "tools/preview/GlyphFont.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace marvik::preview {

namespace {

constexpr size_t kGlyphRows = 16;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// One line without its end; false when it is not a glyph of the plane.
bool ParseLine(const char* line, size_t length, std::pair<char32_t, Glyph>* out) {
  const char* colon = static_cast<const char*>(std::memchr(line, ':', length));
  if (colon == nullptr || colon == line || colon - line > 4) return false;
  char32_t codePoint = 0;
  for (const char* c = line; c < colon; ++c) {
    const int digit = HexDigit(*c);
    if (digit < 0) return false;
    codePoint = codePoint * 16 + static_cast<char32_t>(digit);
  }
  const char* bits = colon + 1;
  const size_t digits = length - static_cast<size_t>(bits - line);
  if (digits != kGlyphRows * 2 && digits != kGlyphRows * 4) return false;
  Glyph glyph;
  glyph.width = digits == kGlyphRows * 2 ? 8 : 16;
  const size_t perRow = digits / kGlyphRows;
  for (size_t row = 0; row < kGlyphRows; ++row) {
    uint16_t value = 0;
    for (size_t i = 0; i < perRow; ++i) {
      const int digit = HexDigit(bits[row * perRow + i]);
      if (digit < 0) return false;
      value = static_cast<uint16_t>(value << 4 | digit);
    }
    glyph.rows[row] = value;
  }
  *out = {codePoint, glyph};
  return true;
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

GlyphList ParseHexFont(const char* text, size_t size) {
  GlyphList glyphs;
  size_t start = 0;
  while (start < size) {
    const char* end = static_cast<const char*>(std::memchr(text + start, '\n', size - start));
    size_t length = (end != nullptr ? static_cast<size_t>(end - text) : size) - start;
    const size_t next = start + length + 1;
    if (length > 0 && text[start + length - 1] == '\r') --length;
    std::pair<char32_t, Glyph> glyph;
    if (ParseLine(text + start, length, &glyph)) glyphs.push_back(glyph);
    start = next;
  }
  std::stable_sort(glyphs.begin(), glyphs.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return glyphs;
}

const Glyph* GlyphFont::Find(char32_t codePoint) const {
  if (!tried_) Load();
  auto it = std::lower_bound(glyphs_.begin(), glyphs_.end(), codePoint,
                             [](const auto& entry, char32_t value) { return entry.first < value; });
  return it != glyphs_.end() && it->first == codePoint ? &it->second : nullptr;
}

void GlyphFont::Load() const {
  tried_ = true;
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path_.c_str(), "rbe"));
  if (!file) {
    problem_ = std::strerror(errno);
    return;
  }
  std::string text;
  char chunk[1 << 16];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    if (text.size() + got > kMaxFontBytes) {
      problem_ = "larger than " + std::to_string(kMaxFontBytes >> 20) + " MiB";
      return;
    }
    text.append(chunk, got);
  }
  if (std::ferror(file.get())) {
    problem_ = "read error";
    return;
  }
  glyphs_ = ParseHexFont(text.data(), text.size());
  if (glyphs_.empty()) problem_ = "no glyphs in it";
}

}  // namespace marvik::preview
