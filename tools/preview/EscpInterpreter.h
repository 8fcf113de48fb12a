// Interpreter of the printer byte stream: emulates the head and the paper of
// an ESC/P-family dot-matrix printer and hands each printed page, as dots on
// a DotCanvas, to a PageSink.
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

#include "tools/preview/DotCanvas.h"
#include "tools/preview/HeadModel.h"

namespace marvik::preview {

// The commands the interpreter knows, in the order they are reported.
enum class Command {
  kReset,  // ESC @
  kCarriageReturn,
  kLineFeed,
  kFormFeed,
  kSixthSpacing,  // ESC 2
  kPageLines,     // ESC C n, ESC C 0 n
  kPageFine,      // FS C nL nH
  kFeed,          // ESC J n
  kSetUnit,       // ESC ( U
  kFeedFine,      // ESC ( v
  kMoveTo,        // ESC $
  kImage,         // ESC *
  kDirection,     // ESC U
  kPulse,         // ESC p
  kCut,           // GS V
  kMarkFeed,      // GS FF
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
};

struct InterpreterOptions {
  Head head = Head::kPins24;
  bool lenient = false;
  // Print as an impact head that cannot fire a pin in two adjacent columns
  // at 360 dpi across: within one head pass (up to a CR, a line feed, a
  // paper feed or a move back), a dot of ESC * 40 whose pin fired in the
  // column just before it is left out, and counted.
  bool impact = false;
  Limits limits;
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
  CommandCounts commands{};  // seen since the previous page ended
  // Dots of a 360 dpi image (ESC * 40) right next to another dot of the same
  // row: many 24-pin printers cannot fire a pin twice that fast and leave
  // these out.
  int64_t adjacentDots = 0;
  // With InterpreterOptions::impact: the dots the head left out.
  bool impact = false;
  int64_t droppedDots = 0;
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
