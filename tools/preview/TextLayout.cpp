#include "tools/preview/TextLayout.h"

#include <algorithm>

namespace marvik::preview {

namespace {

constexpr char32_t kLineFeed = U'\n';
constexpr char32_t kFormFeed = U'\f';
constexpr char32_t kReturn = U'\r';
constexpr char32_t kTab = U'\t';
constexpr char32_t kBackspace = U'\b';
constexpr char32_t kUnderscore = U'_';
constexpr char32_t kReplacement = U'?';
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool Continuation(uint8_t byte) {
  return (byte & 0xC0) == 0x80;
}

// The code point of a well-formed sequence at data[0..size), its length in
// *length; 0 when there is none.
char32_t DecodeSequence(const uint8_t* data, size_t size, size_t* length) {
  const uint8_t lead = data[0];
  size_t need = 0;
  char32_t codePoint = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    need = 2, codePoint = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    need = 3, codePoint = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    need = 4, codePoint = lead & 0x07, smallest = 0x10000;
  } else {
    return 0;
  }
  if (size < need) return 0;
  for (size_t i = 1; i < need; ++i) {
    if (!Continuation(data[i])) return 0;
    codePoint = codePoint << 6 | (data[i] & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < smallest || codePoint > kLastCodePoint || surrogate) return 0;
  *length = need;
  return codePoint;
}

bool Control(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Strikes `c` into the cell as an overstrike would print.
void Strike(TextCell& cell, char32_t c) {
  if (c == U' ') return;  // a blank strikes nothing
  if (cell.codePoint == U' ') {
    cell.codePoint = c;
  } else if (cell.codePoint == c) {
    cell.bold = true;
  } else if (cell.codePoint == kUnderscore) {
    cell.codePoint = c;
    cell.underline = true;
  } else if (c == kUnderscore) {
    cell.underline = true;
  } else {
    cell.codePoint = c;
  }
}

void EndLine(TextLine& line, TextPage& page) {
  while (!line.empty() && line.back().codePoint == U' ' && !line.back().underline) line.pop_back();
  page.push_back(std::move(line));
  line.clear();
}

}  // namespace

std::string ToUtf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

std::u32string DecodeText(const uint8_t* data, size_t size) {
  std::u32string text;
  text.reserve(size);
  for (size_t i = 0; i < size;) {
    size_t length = 1;
    char32_t c = data[i] < 0x80 ? data[i] : DecodeSequence(data + i, size - i, &length);
    text.push_back(c != 0 || data[i] == 0 ? c : data[i]);
    i += length;
  }
  return text;
}

std::vector<TextPage> LayOutText(const std::u32string& text) {
  std::vector<TextPage> pages;
  TextPage page;
  TextLine line;
  size_t column = 0;
  bool lineOpen = false;  // something since the last line feed
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == kLineFeed || c == kFormFeed) {
      if (c == kLineFeed || lineOpen) EndLine(line, page);
      if (c == kFormFeed && i + 1 < text.size()) {
        pages.push_back(std::move(page));
        page.clear();
      }
      column = 0;
      lineOpen = false;
      continue;
    }
    lineOpen = true;
    if (c == kReturn) {
      column = 0;
    } else if (c == kBackspace) {
      if (column > 0) --column;
    } else if (c == kTab) {
      column = (column / kTextTabColumns + 1) * kTextTabColumns;
      if (line.size() < column) line.resize(column);
    } else {
      if (line.size() <= column) line.resize(column + 1);
      Strike(line[column++], Control(c) ? kReplacement : c);
    }
  }
  if (lineOpen) EndLine(line, page);
  if (!page.empty() || !pages.empty() || !text.empty()) pages.push_back(std::move(page));
  return pages;
}

TextPage FitLines(const TextPage& page, size_t columns, bool cut) {
  if (columns == 0) return page;
  TextPage fitted;
  for (const TextLine& line : page) {
    size_t start = 0;
    do {
      const size_t end = std::min(line.size(), start + columns);
      fitted.emplace_back(line.begin() + static_cast<ptrdiff_t>(start),
                          line.begin() + static_cast<ptrdiff_t>(end));
      start = end;
    } while (!cut && start < line.size());
  }
  return fitted;
}

}  // namespace marvik::preview
