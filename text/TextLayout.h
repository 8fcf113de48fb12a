// Text laid out on forms, before any printer byte: tabs expanded to the
// 8-column stops of the text's own line (a tab near the edge goes on in the
// next printed line, as expand(1) then fold(1) would have it), long lines
// wrapped or cut, nroff overstrikes (c BS c,
// _ BS c, c BS _) turned into bold and underlined characters, a form feed or
// a full form starting the next form.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace marvik::text {

struct Cell {
  char32_t character = U' ';
  bool bold = false;
  bool underline = false;
};
using Line = std::vector<Cell>;
struct Form {
  std::vector<Line> lines;
};

// Lays out a document character by character; a form is handed over as soon
// as it is complete, so a document of any length needs one form's memory.
class TextLayout {
 public:
  // `columns` characters on a line, `linesPerForm` lines on a form, both at
  // least 1.
  TextLayout(int columns, int linesPerForm, bool wrap);

  void Add(char32_t c);
  void Add(const std::u32string& text);
  // The document ended: its last line and form are complete. A form feed
  // ends a form even if it is empty (two in a row leave a blank form), but
  // the form after the document's last form feed is printed only if it has
  // a line: a document of no line at all has no form.
  void Finish();

  // Forms complete so far, oldest first.
  std::deque<Form>& Ready() { return ready_; }

 private:
  void Put(char32_t c);
  void EndLine();  // the text's line ended
  void Wrap();     // the text's line goes on in the next printed line
  void EndForm();

  const std::size_t columns_;
  const std::size_t linesPerForm_;
  const bool wrap_;
  Line line_;
  std::size_t cursor_ = 0;   // the column the next character lands on; past columns_ when cutting
  std::size_t wrapped_ = 0;  // columns of the text's line on printed lines before this one
  Form form_;
  std::deque<Form> ready_;
};

// The whole of `text` laid out at once.
std::vector<Form> LayOut(const std::u32string& text, int columns, int linesPerForm, bool wrap);

}  // namespace marvik::text
