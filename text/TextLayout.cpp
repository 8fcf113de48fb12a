#include "text/TextLayout.h"

namespace marvik::text {

namespace {

constexpr std::size_t kTabStop = 8;

// One character struck over `cell`, as nroff marks bold and underline.
void Overstrike(Cell& cell, char32_t c) {
  if (c == U' ') return;
  if (cell.character == c) {
    cell.bold = true;
  } else if (c == U'_') {
    cell.underline = true;
  } else if (cell.character == U'_') {
    cell.character = c;
    cell.underline = true;
  } else {
    cell.character = c;  // two different characters: the later one shows
  }
}

}  // namespace

TextLayout::TextLayout(int columns, int linesPerForm, bool wrap)
    : columns_(static_cast<std::size_t>(columns)),
      linesPerForm_(static_cast<std::size_t>(linesPerForm)),
      wrap_(wrap) {
  line_.reserve(columns_);
}

void TextLayout::Add(const std::u32string& text) {
  for (char32_t c : text) Add(c);
}

void TextLayout::Add(char32_t c) {
  switch (c) {
    case U'\n':
      EndLine();
      break;
    case U'\r':
      cursor_ = 0;
      break;
    case U'\b':
      if (cursor_ > 0) --cursor_;
      break;
    case U'\f':
      if (!line_.empty()) EndLine();
      EndForm();
      break;
    case U'\t': {
      const std::size_t stop = ((wrapped_ + cursor_) / kTabStop + 1) * kTabStop;
      // At most a stop's width of steps, whatever the line does meanwhile.
      for (std::size_t step = 0; step < kTabStop && wrapped_ + cursor_ < stop; ++step) {
        if (cursor_ < line_.size()) {
          ++cursor_;
        } else {
          Put(U' ');
        }
      }
      break;
    }
    default:
      Put(c);
  }
}

void TextLayout::Put(char32_t c) {
  if (cursor_ < line_.size()) {
    Overstrike(line_[cursor_++], c);
    return;
  }
  if (cursor_ >= columns_) {
    if (!wrap_) {
      ++cursor_;
      return;
    }
    Wrap();
  }
  Cell cell;
  cell.character = c;
  line_.push_back(cell);
  ++cursor_;
}

void TextLayout::EndLine() {
  Wrap();
  wrapped_ = 0;
}

void TextLayout::Wrap() {
  if (form_.lines.size() == linesPerForm_) EndForm();
  form_.lines.push_back(std::move(line_));
  line_ = Line();
  line_.reserve(columns_);
  wrapped_ += columns_;
  cursor_ = 0;
}

void TextLayout::EndForm() {
  ready_.push_back(std::move(form_));
  form_ = Form();
}

void TextLayout::Finish() {
  if (!line_.empty()) EndLine();
  if (!form_.lines.empty()) EndForm();
}

std::vector<Form> LayOut(const std::u32string& text, int columns, int linesPerForm, bool wrap) {
  TextLayout layout(columns, linesPerForm, wrap);
  layout.Add(text);
  layout.Finish();
  return {std::make_move_iterator(layout.Ready().begin()), std::make_move_iterator(layout.Ready().end())};
}

}  // namespace marvik::text
