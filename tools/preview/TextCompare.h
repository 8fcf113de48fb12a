// Holds the characters of a printed text job against the text it came from.
//
// Each printed page is rebuilt into lines and columns: a character's column
// counts character widths from the left margin in force, its line counts
// line spacings from the top margin (where the first page's first printed
// line puts line 0 of the text). Every character must stand exactly on that
// grid. The text is laid out by LayOutText() and fitted to the printed width
// (right margin less left margin, in characters of the first character's
// pitch). Each form feed of the text starts a new printed page; a page may
// also break before the text's next form feed, when it is full: the next
// page then goes on from its first printed line, and every such page must
// hold as many lines as the first one. A character the printer's table
// lacks must print as '?', bold and underlined characters bold and
// underlined (by command or by overstrike).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/TextLayout.h"

namespace marvik::preview {

// How many differences a comparison describes; it counts them all.
constexpr size_t kReportedTextDifferences = 10;

class TextComparison {
 public:
  TextComparison(std::vector<TextPage> text, bool cutLongLines);

  // The pages in the order they were printed.
  void AddPage(int32_t number, const std::vector<PrintedCharacter>& printed);
  // After the last page: the text that was never printed.
  void Finish();

  int64_t differences() const { return differences_; }
  int64_t linesCompared() const { return linesCompared_; }
  // "page 1, line 3, column 5: expected 'b', printed 'c'", the first ones.
  const std::vector<std::string>& described() const { return described_; }

 private:
  struct Cell {
    char32_t codePoint = U' ';
    bool bold = false;
    bool underline = false;
    int8_t table = 0;
  };
  using Row = std::vector<Cell>;

  const TextPage& Lines(size_t page);
  bool HasInk(size_t page, size_t from);
  size_t NextInk(size_t page, size_t from);
  void ComparePage(int32_t number, const std::vector<const PrintedCharacter*>& inked);
  void CompareRow(int32_t number, int64_t row, const Row& printed, const TextLine& expected, int8_t table);
  void Differ(const std::string& where, const std::string& what);

  std::vector<TextPage> text_;
  bool cut_;
  size_t columns_ = 0;  // the printed width, once a character showed it
  // The fitted lines of one text page, cached for the width in force.
  size_t fittedPage_ = SIZE_MAX;
  size_t fittedColumns_ = 0;
  TextPage fitted_;
  // Where the comparison stands: the text page, its next line, and whether
  // a printed page has begun it.
  size_t page_ = 0;
  size_t line_ = 0;
  bool started_ = false;
  size_t pageStart_ = 0;     // the text line the current printed page starts at
  size_t linesPerPage_ = 0;  // of a page that broke because it was full
  bool haveTop_ = false;
  int64_t top_ = 0;  // device units from the top of form to line 0
  int64_t differences_ = 0;
  int64_t linesCompared_ = 0;
  std::vector<std::string> described_;
};

}  // namespace marvik::preview
