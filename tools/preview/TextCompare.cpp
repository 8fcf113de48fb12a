#include "tools/preview/TextCompare.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "tools/preview/TextState.h"

namespace marvik::preview {

namespace {

constexpr char32_t kUnderscore = U'_';
constexpr char32_t kMissing = U'?';
// Lines of text quoted for a line that was never printed.
constexpr size_t kQuotedCharacters = 24;

bool Blank(char32_t c) {
  return c == U' ' || c == U'\u00A0';
}

std::string Quote(char32_t c, bool bold, bool underline) {
  if (Blank(c)) return "nothing";
  std::string text = "'" + ToUtf8(c) + "'";
  if (bold) text += " bold";
  if (underline) text += " underlined";
  return text;
}

std::string Quote(const TextLine& line) {
  std::string text;
  for (size_t i = 0; i < line.size() && i < kQuotedCharacters; ++i) text += ToUtf8(line[i].codePoint);
  return "'" + text + (line.size() > kQuotedCharacters ? "...'" : "'");
}

std::string Where(int32_t page, int64_t line, int64_t column = -1) {
  std::string text = "page " + std::to_string(page) + ", line " + std::to_string(line + 1);
  if (column >= 0) text += ", column " + std::to_string(column + 1);
  return text;
}

std::string Fraction(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

}  // namespace

TextComparison::TextComparison(std::vector<TextPage> text, bool cutLongLines)
    : text_(std::move(text)), cut_(cutLongLines) {}

const TextPage& TextComparison::Lines(size_t page) {
  // Until a character shows the printed width, that of a printer without
  // margins at 10 cpi.
  const size_t columns =
      columns_ != 0 ? columns_ : static_cast<size_t>(kDefaultRightMargin / CharacterWidth(Pitch::k10, false));
  if (fittedPage_ != page || fittedColumns_ != columns) {
    fitted_ = FitLines(text_[page], columns, cut_);
    fittedPage_ = page;
    fittedColumns_ = columns;
  }
  return fitted_;
}

size_t TextComparison::NextInk(size_t page, size_t from) {
  const TextPage& lines = Lines(page);
  for (size_t i = from; i < lines.size(); ++i) {
    if (!lines[i].empty()) return i;
  }
  return lines.size();
}

bool TextComparison::HasInk(size_t page, size_t from) {
  return NextInk(page, from) < Lines(page).size();
}

void TextComparison::Differ(const std::string& where, const std::string& what) {
  ++differences_;
  if (described_.size() < kReportedTextDifferences) described_.push_back(where + ": " + what);
}

void TextComparison::AddPage(int32_t number, const std::vector<PrintedCharacter>& printed) {
  std::vector<const PrintedCharacter*> inked;
  for (const PrintedCharacter& c : printed) {
    if (!Blank(c.codePoint)) inked.push_back(&c);
  }
  if (columns_ == 0 && !printed.empty()) {
    const PrintedCharacter& first = printed.front();
    columns_ = static_cast<size_t>(std::max(1, (first.rightMargin - first.leftMargin) / first.width));
  }
  if (started_ && !HasInk(page_, line_)) {
    // Blank lines at the end of a text page may run onto a page of their own.
    if (inked.empty() && line_ < Lines(page_).size()) {
      line_ = Lines(page_).size();
      return;
    }
    ++page_, line_ = 0, started_ = false;
  }
  // A text page without a character must come out as a blank page.
  while (page_ < text_.size() && !started_ && !HasInk(page_, 0) && !inked.empty()) {
    Differ("page " + std::to_string(number),
           "expected the blank page " + std::to_string(page_ + 1) + " of the text, printed characters");
    ++page_;
  }
  if (page_ >= text_.size()) {
    if (!inked.empty() || !printed.empty()) {
      Differ("page " + std::to_string(number), "printed after the end of the text");
    }
    return;
  }
  if (inked.empty()) {
    if (!started_ && !HasInk(page_, 0)) {
      started_ = true;
      line_ = Lines(page_).size();
      return;
    }
    Differ("page " + std::to_string(number), "blank, expected line " +
                                                 std::to_string(NextInk(page_, line_) + 1) +
                                                 " of text page " + std::to_string(page_ + 1));
    return;
  }
  ComparePage(number, inked);
}

void TextComparison::ComparePage(int32_t number, const std::vector<const PrintedCharacter*>& inked) {
  const int64_t spacing = inked.front()->lineSpacing;
  if (spacing <= 0) {
    Differ("page " + std::to_string(number), "printed with a line spacing of 0");
    return;
  }
  int64_t firstY = inked.front()->y;
  for (const PrintedCharacter* c : inked) firstY = std::min(firstY, c->y);
  const size_t next = NextInk(page_, line_);
  if (!haveTop_) {
    // The first printed line is the text's first line with a character.
    top_ = firstY - static_cast<int64_t>(next - (started_ ? line_ : 0)) * spacing;
    haveTop_ = true;
  }
  // Each character on the grid of lines and columns.
  std::map<int64_t, Row> rows;
  for (const PrintedCharacter* c : inked) {
    const int64_t down = c->y - top_;
    const int64_t across = c->x - c->leftMargin;
    if (down < 0 || down % spacing != 0 || across < 0 || across % c->width != 0) {
      Differ("page " + std::to_string(number),
             Quote(c->codePoint, false, false) + " printed off the grid of lines and columns, " +
                 Fraction(static_cast<double>(down) / spacing) + " lines down, " +
                 Fraction(static_cast<double>(across) / c->width) + " columns across");
      continue;
    }
    Row& row = rows[down / spacing];
    const size_t column = static_cast<size_t>(across / c->width);
    if (row.size() <= column) row.resize(column + 1);
    Cell& cell = row[column];
    const bool bold = (c->style & (kStyleBold | kStyleDoubleStrike)) != 0;
    const bool underline = (c->style & kStyleUnderline) != 0;
    // Overstrikes: the same character twice is bold, an underscore underlines.
    if (Blank(cell.codePoint) || cell.codePoint == kUnderscore) {
      cell.underline = cell.underline || cell.codePoint == kUnderscore;
      cell.codePoint = c->codePoint;
    } else if (cell.codePoint == c->codePoint) {
      cell.bold = true;
    } else if (c->codePoint == kUnderscore) {
      cell.underline = true;
      continue;
    } else {
      Differ(Where(number, down / spacing, static_cast<int64_t>(column)),
             Quote(cell.codePoint, false, false) + " and " + Quote(c->codePoint, false, false) +
                 " printed over each other");
      cell.codePoint = c->codePoint;
    }
    cell.bold = cell.bold || bold;
    cell.underline = cell.underline || underline;
    cell.table = c->table;
  }
  if (rows.empty()) return;
  // A page that goes on with the same text page broke because it was full:
  // it starts where its first printed line fits.
  size_t start = 0;
  if (started_) {
    const int64_t fits = static_cast<int64_t>(next) - rows.begin()->first;
    start = std::max(line_, static_cast<size_t>(std::max<int64_t>(fits, 0)));
    const size_t held = start - pageStart_;
    if (linesPerPage_ == 0) linesPerPage_ = held;
    if (held != linesPerPage_) {
      Differ("page " + std::to_string(number - 1), "broke after " + std::to_string(held) +
                                                       " lines, the first full page after " +
                                                       std::to_string(linesPerPage_));
    }
  }
  const TextPage& lines = Lines(page_);
  const int64_t lastRow = rows.rbegin()->first;
  const int8_t table = inked.front()->table;
  for (int64_t r = 0; r <= lastRow; ++r) {
    const size_t at = start + static_cast<size_t>(r);
    static const TextLine kNoLine;
    const TextLine& expected = at < lines.size() ? lines[at] : kNoLine;
    auto row = rows.find(r);
    static const Row kNoRow;
    CompareRow(number, r, row != rows.end() ? row->second : kNoRow, expected, table);
  }
  pageStart_ = start;
  line_ = start + static_cast<size_t>(lastRow + 1);
  started_ = true;
}

void TextComparison::CompareRow(int32_t number, int64_t row, const Row& printed, const TextLine& expected,
                                int8_t table) {
  if (printed.empty() && expected.empty()) return;
  ++linesCompared_;
  const size_t width = std::max(printed.size(), expected.size());
  for (size_t column = 0; column < width; ++column) {
    const Cell p = column < printed.size() ? printed[column] : Cell{};
    const TextCell e = column < expected.size() ? expected[column] : TextCell{};
    const int8_t in = Blank(p.codePoint) ? table : p.table;
    const char32_t want = Blank(e.codePoint) || TableHas(in, e.codePoint) ? e.codePoint : kMissing;
    if (want == p.codePoint && (Blank(want) || (e.bold == p.bold && e.underline == p.underline))) continue;
    Differ(Where(number, row, static_cast<int64_t>(column)), "expected " + Quote(want, e.bold, e.underline) +
                                                                 ", printed " +
                                                                 Quote(p.codePoint, p.bold, p.underline));
  }
}

void TextComparison::Finish() {
  for (; page_ < text_.size(); ++page_, line_ = 0, started_ = false) {
    const TextPage& lines = Lines(page_);
    const size_t next = NextInk(page_, started_ ? line_ : 0);
    if (next < lines.size()) {
      Differ("text page " + std::to_string(page_ + 1) + ", line " + std::to_string(next + 1),
             "not printed: " + Quote(lines[next]));
    } else if (!started_) {
      Differ("text page " + std::to_string(page_ + 1), "blank, but no blank page was printed");
    }
  }
}

}  // namespace marvik::preview
