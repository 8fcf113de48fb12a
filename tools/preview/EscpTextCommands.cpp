// The printer's text commands and the characters it prints in its own
// fonts: each is drawn from the preview's bitmap font at the head position,
// in the pitch and style in force, and kept for the report and the text
// comparison.
#include "tools/preview/EscpMachine.h"

namespace marvik::preview {

namespace {

using Status = RunResult::Status;

constexpr uint8_t kBackspace = 0x08;
constexpr uint8_t kTab = 0x09;
constexpr uint8_t kShiftIn = 0x0F;
constexpr uint8_t kDc2 = 0x12;
constexpr uint8_t kFirstPrintable = 0x20;
// ESC N skips at most this many lines.
constexpr uint8_t kMaxSkipLines = 127;
// ESC R: the international sets 0 (USA) to 13, and 64 (Legal).
constexpr uint8_t kLastInternational = 13;
constexpr uint8_t kLegalInternational = 64;
constexpr uint8_t kLastSlot = 3;

// Spaces print no dots, with or without a font.
const Glyph kBlank{};

bool Blank(char32_t codePoint) {
  return codePoint == U' ' || codePoint == U'\u00A0';
}

}  // namespace

bool EscpMachine::Choice(size_t i, std::initializer_list<uint8_t> values, const char* name) {
  for (uint8_t value : values) {
    if (At(i) == value) return true;
  }
  Fail(Status::kBadParameter, std::string(name) + " " + Hex(At(i)));
  return false;
}

EscpMachine::Status EscpMachine::TextByte() {
  const uint8_t byte = At(0);
  switch (byte) {
    case kTab:
      return Tab();
    case kBackspace:
      return Backspace();
    case kShiftIn:
      text_.condensed = true;
      return Done(Command::kCondensed, 1);
    case kDc2:
      text_.condensed = false;
      return Done(Command::kCondensedOff, 1);
    default:
      break;
  }
  const char32_t codePoint = byte >= kFirstPrintable ? DecodeByte(text_.table(), byte) : 0;
  if (codePoint == 0) {
    std::string why = byte >= kFirstPrintable ? ": no character in the table in use" : "";
    return Fail(Status::kBadByte, "unknown byte " + Hex(byte) + why);
  }
  Status status = PrintCharacter(codePoint);
  if (status == Status::kOk) ++pos_;
  return status;
}

EscpMachine::Status EscpMachine::PrintCharacter(char32_t codePoint) {
  const int64_t width = text_.width();
  // The printer starts a new line when the character would pass the right
  // margin (a character wider than the whole line prints anyway).
  if (x_ + width > text_.rightMargin && x_ > text_.leftMargin) {
    Status status = LineFeed();
    if (status != Status::kOk) return status;
  }
  Status status = EnsureCanvas();
  if (status != Status::kOk) return status;
  if (characters_.size() >= options_.limits.maxPageCharacters) {
    return Fail(Status::kLimit,
                "more than " + std::to_string(options_.limits.maxPageCharacters) + " characters on a page");
  }
  const Glyph* glyph = Blank(codePoint) ? &kBlank : options_.font ? options_.font->Find(codePoint) : nullptr;
  CharacterDots(glyph, width, text_.letterQuality, text_.style, &cellDots_);
  const Resolution resolution = canvas_->resolution();
  for (const CellDot& dot : cellDots_) {
    const int64_t dotX = x_ + dot.x;
    const int64_t dotY = y_ + dot.y;
    DotCanvas::SetResult set =
        canvas_->Set(dotX * resolution.x / kUnitsPerInch, dotY * resolution.y / kUnitsPerInch);
    if (set != DotCanvas::SetResult::kOk) return DotRefused(set, dotX, dotY);
  }
  const bool heavy = (text_.style & (kStyleBold | kStyleDoubleStrike)) != 0;
  travel_.Print(x_, x_ + width, TextInchesPerSecond(text_.letterQuality, heavy), !cellDots_.empty());
  // Every distance here is within the page limits, far inside 32 bits.
  characters_.push_back({x_, y_, static_cast<int32_t>(width), static_cast<int32_t>(text_.leftMargin),
                         static_cast<int32_t>(text_.rightMargin), static_cast<int32_t>(text_.lineSpacing),
                         codePoint, text_.table(), text_.style});
  x_ += width;
  return Status::kOk;
}

EscpMachine::Status EscpMachine::LineFeed() {
  x_ = text_.leftMargin;
  y_ += text_.lineSpacing;
  NewHeadPass();
  travel_.Feed(text_.lineSpacing);
  // With ESC N, a line feed into the last lines before the perforation runs
  // the paper on to the next top of form.
  if (text_.skipPerforation > 0 && length_.form != PageLength::Form::kNotSet &&
      y_ >= length_.units - text_.skipPerforation) {
    return EndPage(PageEnd::kSkip);
  }
  return Status::kOk;
}

EscpMachine::Status EscpMachine::Tab() {
  const int64_t from = x_ - text_.leftMargin;
  int64_t stop = -1;
  if (!text_.customTabs) {
    const int64_t every = kDefaultTabColumns * text_.width();
    stop = (from / every + 1) * every;
  } else {
    for (int64_t tab : text_.tabs) {
      if (tab > from) {
        stop = tab;
        break;
      }
    }
  }
  // A stop at or past the right margin is no stop.
  if (stop >= 0 && text_.leftMargin + stop < text_.rightMargin) x_ = text_.leftMargin + stop;
  return Done(Command::kTab, 1);
}

EscpMachine::Status EscpMachine::Backspace() {
  const int64_t to = x_ - text_.width();
  if (to >= text_.leftMargin) {
    // Moving back, the head turns round.
    NewHeadPass();
    x_ = to;
  }
  return Done(Command::kBackspace, 1);
}

EscpMachine::Status EscpMachine::TabStops() {
  std::vector<int64_t> stops;
  size_t i = 2;
  for (;; ++i) {
    if (!Have(i + 1)) return Truncated("ESC D", i + 1);
    const uint8_t column = At(i);
    if (column == 0) break;
    if (stops.size() == kMaxTabStops) {
      return Fail(Status::kBadParameter, "ESC D with more than " + std::to_string(kMaxTabStops) + " stops");
    }
    if (!stops.empty() && column * text_.width() <= stops.back()) {
      return Fail(Status::kBadParameter, "ESC D with stops out of order at " + std::to_string(column));
    }
    stops.push_back(column * text_.width());
  }
  text_.customTabs = true;
  text_.tabs = std::move(stops);
  return Done(Command::kTabStops, i + 1);
}

EscpMachine::Status EscpMachine::AssignTable() {
  if (!Have(5)) return Truncated("ESC ( t", 5);
  if (Word(3) != 3) {
    return Fail(Status::kBadParameter, "ESC ( t with " + std::to_string(Word(3)) + " parameter bytes");
  }
  if (!Have(8)) return Truncated("ESC ( t", 8);
  if (At(5) > kLastSlot) return Fail(Status::kBadParameter, "ESC ( t for slot " + std::to_string(At(5)));
  int8_t table = 0;
  if (FindTable(At(6), At(7), &table)) {
    text_.slots[At(5)] = table;
  } else {
    ++unknownTables_;
  }
  return Done(Command::kAssignTable, 8);
}

EscpMachine::Status EscpMachine::Margin(bool left) {
  const char* name = left ? "ESC l" : "ESC Q";
  if (!Have(3)) return Truncated(name, 3);
  const int64_t width = text_.width();
  const int64_t at = At(2) * width;
  if (left) {
    if (at + width > text_.rightMargin) {
      return Fail(Status::kBadParameter, std::string(name) + " " + std::to_string(At(2)) +
                                             " leaves no column before the right margin");
    }
    // The head stands at the new margin if it stood at the old one.
    if (x_ == text_.leftMargin || x_ < at) x_ = at;
    text_.leftMargin = at;
    return Done(Command::kLeftMargin, 3);
  }
  if (at < text_.leftMargin + width || at > options_.limits.maxPageWidthInches * kUnitsPerInch) {
    return Fail(Status::kBadParameter, std::string(name) + " " + std::to_string(At(2)) +
                                           " leaves no column after the left margin or lies beyond the page");
  }
  text_.rightMargin = at;
  return Done(Command::kRightMargin, 3);
}

EscpMachine::Status EscpMachine::TextEscape() {
  const auto set = [this](Command command, auto change) {
    change();
    return Done(command, 2);
  };
  switch (At(1)) {
    case 'P':
      return set(Command::kPitch10, [this] { text_.pitch = Pitch::k10; });
    case 'M':
      return set(Command::kPitch12, [this] { text_.pitch = Pitch::k12; });
    case 'g':
      return set(Command::kPitch15, [this] { text_.pitch = Pitch::k15; });
    case '0':
      return set(Command::kEighthSpacing, [this] { text_.lineSpacing = kUnitsPerInch / 8; });
    case 'O':
      return set(Command::kNoSkip, [this] { text_.skipPerforation = 0; });
    case '6':
      return set(Command::kUpperCharacters, [] {});
    case 'E':
      return set(Command::kBold, [this] { text_.style |= kStyleBold; });
    case 'F':
      return set(Command::kBoldOff, [this] { text_.style &= ~kStyleBold; });
    case 'G':
      return set(Command::kDoubleStrike, [this] { text_.style |= kStyleDoubleStrike; });
    case 'H':
      return set(Command::kDoubleStrikeOff, [this] { text_.style &= ~kStyleDoubleStrike; });
    case '4':
      return set(Command::kItalic, [this] { text_.style |= kStyleItalic; });
    case '5':
      return set(Command::kItalicOff, [this] { text_.style &= ~kStyleItalic; });
    case 'l':
      return Margin(true);
    case 'Q':
      return Margin(false);
    case 'D':
      return TabStops();
    default:
      break;
  }
  // The commands with one parameter byte.
  const uint8_t command = At(1);
  const std::string name = std::string("ESC ") + static_cast<char>(command);
  if (command != 'x' && command != 'k' && command != '3' && command != 'N' && command != '-' &&
      command != 't' && command != 'R') {
    return Fail(Status::kBadByte, "unknown command ESC " + Hex(command));
  }
  if (!Have(3)) return Truncated(name.c_str(), 3);
  const uint8_t n = At(2);
  switch (command) {
    case 'x':
      if (!Choice(2, {0, 1, '0', '1'}, "ESC x")) return Status::kBadParameter;
      text_.letterQuality = (n & 1) != 0;
      return Done(Command::kQuality, 3);
    case 'k':
      // A typeface the printer lacks prints in its default one.
      return Done(Command::kTypeface, 3);
    case '3':
      text_.lineSpacing = n * FeedStep(options_.head);
      return Done(Command::kSpacing, 3);
    case 'N':
      if (n == 0 || n > kMaxSkipLines) return Fail(Status::kBadParameter, "ESC N " + std::to_string(n));
      text_.skipPerforation = n * text_.lineSpacing;
      return Done(Command::kSkipPerforation, 3);
    case '-':
      if (!Choice(2, {0, 1, '0', '1'}, "ESC -")) return Status::kBadParameter;
      text_.style = (n & 1) ? (text_.style | kStyleUnderline) : (text_.style & ~kStyleUnderline);
      return Done(Command::kUnderline, 3);
    case 't':
      if (!Choice(2, {0, 1, 2, 3, '0', '1', '2', '3'}, "ESC t")) return Status::kBadParameter;
      text_.slot = n & kLastSlot;
      return Done(Command::kSelectTable, 3);
    default:
      // ESC R: the national sets swap a few ASCII characters (# $ @ [ \ ] ^
      // ` { | } ~); the preview shows them as USA.
      if (n > kLastInternational && n != kLegalInternational) {
        return Fail(Status::kBadParameter, "ESC R " + std::to_string(n));
      }
      return Done(Command::kInternational, 3);
  }
}

}  // namespace marvik::preview
