#include "tools/preview/EscpInterpreter.h"

#include <algorithm>
#include <cstdio>

#include "tools/preview/EscpMachine.h"

namespace marvik::preview {

namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kFs = 0x1C;
constexpr uint8_t kGs = 0x1D;
// The 360 dpi 24-dot mode, in which many printers skip a dot that follows
// another in the same row.
constexpr uint8_t kAdjacentLimitedMode = 40;

constexpr const char* kCommandNames[] = {
    "ESC @", "CR",    "LF",    "FF",      "HT",      "BS",    "ESC 2",   "ESC 0", "ESC 3", "ESC C", "FS C",
    "ESC N", "ESC O", "ESC J", "ESC ( U", "ESC ( v", "ESC $", "ESC *",   "ESC U", "ESC p", "GS V",  "GS FF",
    "ESC x", "ESC k", "ESC P", "ESC M",   "ESC g",   "SI",    "DC2",     "ESC l", "ESC Q", "ESC D", "ESC E",
    "ESC F", "ESC G", "ESC H", "ESC -",   "ESC 4",   "ESC 5", "ESC ( t", "ESC t", "ESC R", "ESC 6"};
static_assert(sizeof(kCommandNames) / sizeof(kCommandNames[0]) == static_cast<size_t>(Command::kCount),
              "one name per command");

std::string Inches(int64_t units) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f in", static_cast<double>(units) / kUnitsPerInch);
  return text;
}

using Status = RunResult::Status;

}  // namespace

RunResult EscpMachine::Run() {
  RunResult result;
  while (pos_ < size_) {
    size_t start = pos_;
    Status status = Execute();
    if (status == Status::kOk) continue;
    bool skippable =
        status == Status::kBadByte || status == Status::kBadParameter || status == Status::kTruncated;
    if (options_.lenient && skippable) {
      if (result.skipped == 0) result.firstSkipOffset = start;
      ++result.skipped;
      pos_ = start + 1;
      continue;
    }
    result.status = status;
    result.offset = start;
    result.message = message_;
    result.pages = pages_;
    return result;
  }
  if (canvas_) {
    Status status = EndPage(PageEnd::kStream);
    if (status != Status::kOk) {
      result.status = status;
      result.offset = size_;
      result.message = message_;
    }
  } else {
    // A reset after the last form feed is ordinary framing, not a lost page.
    for (size_t i = 0; i < counts_.size(); ++i) {
      if (static_cast<Command>(i) != Command::kReset) result.trailingCommands += counts_[i];
    }
  }
  result.pages = pages_;
  return result;
}

EscpMachine::Status EscpMachine::Execute() {
  switch (At(0)) {
    case 0x0D:
      x_ = text_.leftMargin;
      NewHeadPass();
      return Done(Command::kCarriageReturn, 1);
    case 0x0A:
      // ESC/P returns the head to the left margin with a line feed.
      ++counts_[static_cast<size_t>(Command::kLineFeed)];
      ++pos_;
      return LineFeed();
    case 0x0C: {
      Status status = EndPage(PageEnd::kFormFeed);
      ++pos_;
      return status;
    }
    case kEsc:
      return Escape();
    case kFs:
      return FsCommand();
    case kGs:
      return GsCommand();
    default:
      return TextByte();
  }
}

EscpMachine::Status EscpMachine::Escape() {
  if (!Have(2)) return Truncated("ESC", 2);
  switch (At(1)) {
    case '@':
      return Reset();
    case '2':
      text_.lineSpacing = kSixthInch;
      return Done(Command::kSixthSpacing, 2);
    case 'C':
      return PageLines();
    case 'J':
      if (!Have(3)) return Truncated("ESC J", 3);
      y_ += At(2) * FeedStep(options_.head);
      NewHeadPass();
      travel_.Feed(At(2) * FeedStep(options_.head));
      return Done(Command::kFeed, 3);
    case '(':
      return EscapeParen();
    case '$': {
      if (!Have(4)) return Truncated("ESC $", 4);
      // Counted from the left margin.
      const int64_t to = text_.leftMargin + Word(2) * moveUnit_;
      // Moving back the head turns round: a new sweep.
      if (to < x_) NewHeadPass();
      x_ = to;
      return Done(Command::kMoveTo, 4);
    }
    case '*':
      return Image();
    case 'U':
      if (!Have(3)) return Truncated("ESC U", 3);
      if (!Choice(2, {0, 1, '0', '1'}, "ESC U")) return Status::kBadParameter;
      travel_.SetUnidirectional(At(2) == 1 || At(2) == '1');
      return Done(Command::kDirection, 3);
    case 'p':
      if (!Have(5)) return Truncated("ESC p", 5);
      return Done(Command::kPulse, 5);
    default:
      return TextEscape();
  }
}

EscpMachine::Status EscpMachine::Reset() {
  // The paper stays where it is: the current position becomes the top of
  // form, and spacing, unit, page length, direction and every text setting
  // go back to their defaults.
  NewHeadPass();
  text_ = TextState{};
  moveUnit_ = kDefaultMoveUnit;
  length_ = PageLength{};
  travel_.SetUnidirectional(false);
  x_ = 0;
  return Done(Command::kReset, 2);
}

EscpMachine::Status EscpMachine::PageLines() {
  if (!Have(3)) return Truncated("ESC C", 3);
  if (At(2) != 0) {
    SetLength(PageLength::Form::kLines, At(2), At(2) * text_.lineSpacing);
    return Done(Command::kPageLines, 3);
  }
  if (!Have(4)) return Truncated("ESC C 0", 4);
  if (At(3) == 0) return Fail(Status::kBadParameter, "ESC C 0 with a length of 0 inches");
  SetLength(PageLength::Form::kInches, At(3), At(3) * kUnitsPerInch);
  return Done(Command::kPageLines, 4);
}

EscpMachine::Status EscpMachine::EscapeParen() {
  if (!Have(3)) return Truncated("ESC (", 3);
  if (At(2) == 'U') {
    if (!Have(6)) return Truncated("ESC ( U", 6);
    if (Word(3) != 1)
      return Fail(Status::kBadParameter, "ESC ( U with " + std::to_string(Word(3)) + " parameter bytes");
    if (At(5) == 0) return Fail(Status::kBadParameter, "ESC ( U with a unit of 0");
    moveUnit_ = At(5) * kUnitPer3600;
    return Done(Command::kSetUnit, 6);
  }
  if (At(2) == 'v') {
    if (!Have(7)) return Truncated("ESC ( v", 7);
    if (Word(3) != 2)
      return Fail(Status::kBadParameter, "ESC ( v with " + std::to_string(Word(3)) + " parameter bytes");
    y_ += Word(5) * moveUnit_;
    NewHeadPass();
    travel_.Feed(Word(5) * moveUnit_);
    return Done(Command::kFeedFine, 7);
  }
  if (At(2) == 't') return AssignTable();
  return Fail(Status::kBadByte, "unknown command ESC ( " + Hex(At(2)));
}

EscpMachine::Status EscpMachine::Image() {
  if (!Have(5)) return Truncated("ESC *", 5);
  ImageMode mode;
  if (!LookupImageMode(options_.head, At(2), &mode)) {
    return Fail(Status::kBadParameter,
                "ESC * mode " + std::to_string(At(2)) + " is not a " + HeadName(options_.head) + " mode");
  }
  size_t columns = Word(3);
  size_t need = 5 + columns * static_cast<size_t>(mode.bytesPerColumn);
  if (!Have(need)) return Truncated("ESC *", need);
  const bool adjacentLimited = At(2) == kAdjacentLimitedMode;
  if (adjacentLimited) CountAdjacentDots(data_ + pos_ + 5, columns, mode.bytesPerColumn);
  Status status = DrawImage(data_ + pos_ + 5, columns, mode, adjacentLimited);
  if (status != Status::kOk) return status;
  // The head stands at the image's right end.
  const int64_t end = x_ + static_cast<int64_t>(columns) * mode.columnPitch;
  const uint8_t* bytes = data_ + pos_ + 5;
  const bool inked = std::any_of(bytes, bytes + need - 5, [](uint8_t b) { return b != 0; });
  travel_.Print(x_, end, ImageInchesPerSecond(mode.columnPitch), inked);
  x_ = end;
  return Done(Command::kImage, need);
}

void EscpMachine::CountAdjacentDots(const uint8_t* bytes, size_t columns, int32_t bytesPerColumn) {
  const size_t perColumn = static_cast<size_t>(bytesPerColumn);
  for (size_t column = 1; column < columns; ++column) {
    const uint8_t* cell = bytes + column * perColumn;
    const uint8_t* before = cell - perColumn;
    for (size_t k = 0; k < perColumn; ++k) adjacentDots_ += __builtin_popcount(cell[k] & before[k]);
  }
}

EscpMachine::Status EscpMachine::DrawImage(const uint8_t* bytes, size_t columns, const ImageMode& mode,
                                           bool adjacentLimited) {
  const bool dropAdjacent = options_.impact && adjacentLimited;
  const size_t perColumn = static_cast<size_t>(mode.bytesPerColumn);
  // Pixel rows of the column's dots, worked out once the first dot comes.
  int64_t dotRow[24];
  bool rowsKnown = false;
  Resolution resolution;
  for (size_t column = 0; column < columns; ++column) {
    const uint8_t* cell = bytes + column * perColumn;
    const int64_t dotX = x_ + static_cast<int64_t>(column) * mode.columnPitch;
    for (size_t k = 0; k < perColumn; ++k) {
      if (cell[k] == 0) continue;
      if (!rowsKnown) {
        Status status = EnsureCanvas();
        if (status != Status::kOk) return status;
        resolution = canvas_->resolution();
        for (size_t d = 0; d < perColumn * 8; ++d) {
          dotRow[d] = (y_ + static_cast<int64_t>(d) * mode.dotPitch) * resolution.y / kUnitsPerInch;
        }
        rowsKnown = true;
      }
      const int64_t px = dotX * resolution.x / kUnitsPerInch;
      for (size_t bit = 0; bit < 8; ++bit) {
        if ((cell[k] & (0x80u >> bit)) == 0) continue;
        // A pin that fired one column before has not recovered: no dot, and
        // the pin stays idle, so the column after prints again.
        int64_t& fired = lastFired_[k * 8 + bit];
        if (dropAdjacent && fired == dotX - mode.columnPitch) {
          ++droppedDots_;
          continue;
        }
        fired = dotX;
        DotCanvas::SetResult set = canvas_->Set(px, dotRow[k * 8 + bit]);
        if (set != DotCanvas::SetResult::kOk) {
          return DotRefused(set, dotX, y_ + static_cast<int64_t>(k * 8 + bit) * mode.dotPitch);
        }
      }
    }
  }
  return Status::kOk;
}

EscpMachine::Status EscpMachine::FsCommand() {
  if (!Have(2)) return Truncated("FS", 2);
  if (At(1) != 'C') return Fail(Status::kBadByte, "unknown command FS " + Hex(At(1)));
  if (!Have(4)) return Truncated("FS C", 4);
  if (Word(2) == 0) return Fail(Status::kBadParameter, "FS C with a page length of 0");
  SetLength(PageLength::Form::kFine, static_cast<int32_t>(Word(2)), Word(2) * kFinePageUnit);
  return Done(Command::kPageFine, 4);
}

EscpMachine::Status EscpMachine::GsCommand() {
  if (!Have(2)) return Truncated("GS", 2);
  if (At(1) == 0x0C) return Done(Command::kMarkFeed, 2);
  if (At(1) != 'V') return Fail(Status::kBadByte, "unknown command GS " + Hex(At(1)));
  if (!Have(3)) return Truncated("GS V", 3);
  // Functions 0x41 and 0x42 feed before cutting and take one more byte.
  size_t length = (At(2) == 0x41 || At(2) == 0x42) ? 4 : 3;
  if (!Have(length)) return Truncated("GS V", length);
  return Done(Command::kCut, length);
}

EscpMachine::Status EscpMachine::EnsureCanvas() {
  if (canvas_) return Status::kOk;
  if (pages_ >= options_.limits.maxPages) {
    return Fail(Status::kLimit, "more than " + std::to_string(options_.limits.maxPages) + " pages");
  }
  Resolution resolution;
  if (!sink_.PageResolution(pages_ + 1, &resolution)) {
    return Fail(Status::kStopped, "stopped before page " + std::to_string(pages_ + 1));
  }
  if (resolution.x < kMinRenderDpi || resolution.x > kMaxRenderDpi || resolution.y < kMinRenderDpi ||
      resolution.y > kMaxRenderDpi) {
    return Fail(Status::kLimit, "render resolution " + std::to_string(resolution.x) + "x" +
                                    std::to_string(resolution.y) + " dpi out of range");
  }
  const Limits& limits = options_.limits;
  canvas_ =
      std::make_unique<DotCanvas>(resolution, int64_t{limits.maxPageWidthInches} * resolution.x,
                                  int64_t{limits.maxPageHeightInches} * resolution.y, limits.maxCanvasBytes);
  return Status::kOk;
}

EscpMachine::Status EscpMachine::DotRefused(DotCanvas::SetResult set, int64_t dotX, int64_t dotY) {
  if (set == DotCanvas::SetResult::kNoRoom) {
    return Fail(Status::kLimit, "page needs more than " +
                                    std::to_string(options_.limits.maxCanvasBytes >> 20) + " MiB of dots");
  }
  return Fail(Status::kLimit, "dot at " + Inches(dotX) + " across, " + Inches(dotY) +
                                  " down lies beyond the page limit of " +
                                  std::to_string(options_.limits.maxPageWidthInches) + " x " +
                                  std::to_string(options_.limits.maxPageHeightInches) + " in");
}

EscpMachine::Status EscpMachine::EndPage(PageEnd end) {
  Status status = EnsureCanvas();
  if (status != Status::kOk) return status;
  const bool formFeed = end == PageEnd::kFormFeed;
  if (formFeed) ++counts_[static_cast<size_t>(Command::kFormFeed)];
  NewHeadPass();
  // The paper runs to the next top of form (nowhere with a length of 0,
  // which ESC C n sets at a line spacing of 0).
  const int64_t length = length_.form != PageLength::Form::kNotSet ? length_.units : kDefaultPageLength;
  if (end != PageEnd::kStream && length > 0) travel_.FormFeed(length - (y_ % length + length) % length);
  ++pages_;
  Page page;
  page.number = pages_;
  page.canvas = canvas_.get();
  page.length = length_;
  page.lengthSetOnPage = lengthSetOnPage_;
  page.endedByFormFeed = formFeed;
  page.endedBySkip = end == PageEnd::kSkip;
  page.commands = counts_;
  page.adjacentDots = adjacentDots_;
  page.impact = options_.impact;
  page.droppedDots = droppedDots_;
  page.characters = &characters_;
  page.unknownTables = unknownTables_;
  page.time = travel_.TakePage();
  bool go_on = sink_.TakePage(page);
  canvas_.reset();
  counts_ = CommandCounts{};
  adjacentDots_ = 0;
  droppedDots_ = 0;
  characters_.clear();
  unknownTables_ = 0;
  lengthSetOnPage_ = false;
  // The paper now stands at the next top of form, the head at the margin.
  x_ = text_.leftMargin;
  y_ = 0;
  if (!go_on) return Fail(Status::kStopped, "stopped after page " + std::to_string(pages_));
  return Status::kOk;
}

std::string Hex(uint8_t byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

const char* CommandName(Command command) {
  size_t index = static_cast<size_t>(command);
  return index < static_cast<size_t>(Command::kCount) ? kCommandNames[index] : "?";
}

std::string DescribePageLength(const PageLength& length) {
  switch (length.form) {
    case PageLength::Form::kLines:
      return "ESC C " + std::to_string(length.value) + " lines (" + Inches(length.units) + ")";
    case PageLength::Form::kInches:
      return "ESC C 0 " + std::to_string(length.value) + " (" + Inches(length.units) + ")";
    case PageLength::Form::kFine:
      return "FS C " + std::to_string(length.value) + "/360 (" + Inches(length.units) + ")";
    case PageLength::Form::kNotSet:
      break;
  }
  return "not set";
}

RunResult Interpret(const uint8_t* data, size_t size, const InterpreterOptions& options, PageSink& sink) {
  if (data == nullptr) size = 0;
  EscpMachine machine(data, size, options, sink);
  return machine.Run();
}

}  // namespace marvik::preview
