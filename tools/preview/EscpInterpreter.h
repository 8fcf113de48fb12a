// Interpreter of the printer byte stream: emulates the head and the paper of
// an ESC/P-family dot-matrix printer — bit images, paper moves, and text in
// the printer's own fonts — and hands each printed page, as dots on a
// DotCanvas with the characters printed and the time it took, to a PageSink.
//
// It reads untrusted bytes. Every command is checked for its full length
// before its parameters are read, every dot is checked against the page
// limits before anything is allocated, and an unknown byte or a truncated
// command stops the run with its byte offset (or, lenient, is skipped and
// counted).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/preview/DotCanvas.h"
#include "tools/preview/GlyphFont.h"
#include "tools/preview/HeadModel.h"
#include "tools/preview/PrintTime.h"

namespace marvik::preview {

// The commands the interpreter knows, in the order they are reported.
enum class Command {
  kReset,  // ESC @
  kCarriageReturn,
  kLineFeed,
  kFormFeed,
  kTab,              // HT
  kBackspace,        // BS
  kSixthSpacing,     // ESC 2
  kEighthSpacing,    // ESC 0
  kSpacing,          // ESC 3 n
  kPageLines,        // ESC C n, ESC C 0 n
  kPageFine,         // FS C nL nH
  kSkipPerforation,  // ESC N n
  kNoSkip,           // ESC O
  kFeed,             // ESC J n
  kSetUnit,          // ESC ( U
  kFeedFine,         // ESC ( v
  kMoveTo,           // ESC $
  kImage,            // ESC *
  kDirection,        // ESC U
  kPulse,            // ESC p
  kCut,              // GS V
  kMarkFeed,         // GS FF
  kQuality,          // ESC x
  kTypeface,         // ESC k
  kPitch10,          // ESC P
  kPitch12,          // ESC M
  kPitch15,          // ESC g
  kCondensed,        // SI
  kCondensedOff,     // DC2
  kLeftMargin,       // ESC l
  kRightMargin,      // ESC Q
  kTabStops,         // ESC D
  kBold,             // ESC E
  kBoldOff,          // ESC F
  kDoubleStrike,     // ESC G
  kDoubleStrikeOff,  // ESC H
  kUnderline,        // ESC -
  kItalic,           // ESC 4
  kItalicOff,        // ESC 5
  kAssignTable,      // ESC ( t
  kSelectTable,      // ESC t
  kInternational,    // ESC R
  kUpperCharacters,  // ESC 6: 0x80 to 0x9F print as characters, as the preview reads them anyway
  kCount
};

const char* CommandName(Command command);

using CommandCounts = std::array<int64_t, static_cast<size_t>(Command::kCount)>;

// Bounds on what a stream may make the interpreter allocate.
struct Limits {
  int32_t maxPages = 10000;
  int32_t maxPageWidthInches = 24;
  int32_t maxPageHeightInches = 400;
  size_t maxCanvasBytes = size_t{256} << 20;
  // Characters kept per page for the report and the text comparison: a
  // 14.875 x 22 in form at 20 cpi and 8 lines per inch holds 52,000.
  size_t maxPageCharacters = size_t{1} << 18;
};

struct InterpreterOptions {
  Head head = Head::kPins24;
  bool lenient = false;
  // Print as an impact head that cannot fire a pin in two adjacent columns
  // at 360 dpi across: within one head pass (up to a CR, a line feed, a
  // paper feed or a move back), a dot of ESC * 40 whose pin fired in the
  // column just before it is left out, and counted.
  bool impact = false;
  // The glyphs characters are drawn with; without one (or without a glyph),
  // each character is drawn as the outline of its cell.
  const GlyphFont* font = nullptr;
  Limits limits;
};

// Styles of a printed character, as bits.
enum Style : uint8_t { kStyleBold = 1, kStyleDoubleStrike = 2, kStyleUnderline = 4, kStyleItalic = 8 };

// One character as the head printed it, positions in device units from the
// left end of the carriage and from the top of the page.
struct PrintedCharacter {
  int64_t x = 0;      // left edge of its cell
  int64_t y = 0;      // the top pin
  int32_t width = 0;  // of its cell: the pitch in force
  int32_t leftMargin = 0;
  int32_t rightMargin = 0;
  int32_t lineSpacing = 0;
  char32_t codePoint = 0;  // decoded through the table in force
  int8_t table = 0;        // index into text::kCharacterTables, or kItalicTable
  uint8_t style = 0;       // Style bits
};

// How the page length in force was set; value is the command's parameter.
struct PageLength {
  enum class Form { kNotSet, kLines, kInches, kFine };
  Form form = Form::kNotSet;
  int32_t value = 0;
  int64_t units = 0;  // device units, 0 when not set
};

std::string DescribePageLength(const PageLength& length);

struct Page {
  int32_t number = 0;  // from 1
  const DotCanvas* canvas = nullptr;
  PageLength length;  // in force when the page ended
  bool lengthSetOnPage = false;
  bool endedByFormFeed = false;
  // Ended by a line feed into the last lines before the perforation (ESC N).
  bool endedBySkip = false;
  CommandCounts commands{};  // seen since the previous page ended
  // Dots of a 360 dpi image (ESC * 40) right next to another dot of the same
  // row: many 24-pin printers cannot fire a pin twice that fast and leave
  // these out.
  int64_t adjacentDots = 0;
  // With InterpreterOptions::impact: the dots the head left out.
  bool impact = false;
  int64_t droppedDots = 0;
  // Valid during PageSink::TakePage, like canvas.
  const std::vector<PrintedCharacter>* characters = nullptr;
  // ESC ( t naming a table the printer does not have: it kept its table.
  int64_t unknownTables = 0;
  PrintTime time;
};

class PageSink {
 public:
  virtual ~PageSink() = default;
  // Asked once per page, when its first dot or its form feed arrives: the
  // resolution to render the page at. Returning false stops the run
  // (kStopped).
  virtual bool PageResolution(int32_t pageNumber, Resolution* resolution) = 0;
  // One finished page. Returning false stops the run (kStopped).
  virtual bool TakePage(const Page& page) = 0;
};

struct RunResult {
  enum class Status { kOk, kBadByte, kTruncated, kBadParameter, kLimit, kStopped };
  Status status = Status::kOk;
  size_t offset = 0;    // where the failing command starts
  std::string message;  // why, for a status other than kOk
  int32_t pages = 0;
  int64_t skipped = 0;  // bad bytes and commands passed over when lenient
  size_t firstSkipOffset = 0;
  int64_t trailingCommands = 0;  // commands after the last page other than ESC @
  bool ok() const { return status == Status::kOk; }
};

// Runs the whole stream through the emulated printer.
RunResult Interpret(const uint8_t* data, size_t size, const InterpreterOptions& options, PageSink& sink);

}  // namespace marvik::preview
