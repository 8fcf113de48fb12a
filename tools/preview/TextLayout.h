// A text job's input laid out as a text printer prints it: the oracle that
// the characters of a printed text job are held against. It knows the rules
// of plain text and of the printer, nothing of the filter that made the job.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace marvik::preview {

// The largest text file a comparison reads.
constexpr size_t kMaxTextBytes = size_t{16} << 20;
// Tab stops of plain text: every 8 columns.
constexpr size_t kTextTabColumns = 8;

struct TextCell {
  char32_t codePoint = U' ';
  bool bold = false;       // struck twice: c BS c
  bool underline = false;  // _ BS c
};
using TextLine = std::vector<TextCell>;
using TextPage = std::vector<TextLine>;

// UTF-8 to code points; a byte that starts no valid sequence stands for its
// Latin-1 character, so Latin-1 and ASCII input read as they are.
std::u32string DecodeText(const uint8_t* data, size_t size);

// One character as UTF-8.
std::string ToUtf8(char32_t codePoint);

// Pages at form feeds (one at the very end starts no page), lines at line
// feeds (a carriage return goes back to column 0, so CR LF ends a line as LF
// does), tabs expanded to the next stop, backspace and the character after
// it struck over the one before (the same character twice is bold, an
// underscore with a character underlines it), any other control character
// as '?', and blanks at the end of a line dropped.
std::vector<TextPage> LayOutText(const std::u32string& text);

// The page's lines as `columns` wide lines print: a longer line goes on in
// the next line, or with `cut` loses its end.
TextPage FitLines(const TextPage& page, size_t columns, bool cut);

}  // namespace marvik::preview
