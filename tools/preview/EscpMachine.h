// The emulated printer behind Interpret(): one run over one byte stream.
// The picture and paper commands live in EscpInterpreter.cpp, the text
// commands and the characters in EscpTextCommands.cpp.
#pragma once

#include <array>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tools/preview/CharacterDots.h"
#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/PrintTime.h"
#include "tools/preview/TextState.h"

namespace marvik::preview {

// "0x1B"
std::string Hex(uint8_t byte);

class EscpMachine {
 public:
  using Status = RunResult::Status;

  EscpMachine(const uint8_t* data, size_t size, const InterpreterOptions& options, PageSink& sink)
      : data_(data), size_(size), options_(options), sink_(sink) {}

  RunResult Run();

 private:
  enum class PageEnd { kFormFeed, kSkip, kStream };

  Status Execute();
  Status Escape();
  Status EscapeParen();
  Status PageLines();
  Status Image();
  Status FsCommand();
  Status GsCommand();
  Status Reset();
  Status EndPage(PageEnd end);
  Status DrawImage(const uint8_t* bytes, size_t columns, const ImageMode& mode, bool adjacentLimited);
  // The head starts a new sweep: every pin has recovered, and the pass
  // before is printed.
  void NewHeadPass() {
    lastFired_.fill(kNeverFired);
    travel_.EndPass();
  }
  void CountAdjacentDots(const uint8_t* bytes, size_t columns, int32_t bytesPerColumn);
  Status EnsureCanvas();
  Status DotRefused(DotCanvas::SetResult set, int64_t dotX, int64_t dotY);

  // Text (EscpTextCommands.cpp). TextEscape answers kBadByte for a command
  // that is not a text command.
  Status TextEscape();
  Status TextByte();
  Status PrintCharacter(char32_t codePoint);
  Status LineFeed();
  Status Tab();
  Status Backspace();
  Status TabStops();
  Status AssignTable();
  Status Margin(bool left);
  // Takes the byte at i as one of the values; false (and the failure) when
  // it is none of them.
  bool Choice(size_t i, std::initializer_list<uint8_t> values, const char* name);

  bool Have(size_t n) const { return size_ - pos_ >= n; }
  uint8_t At(size_t i) const { return data_[pos_ + i]; }
  uint32_t Word(size_t i) const { return At(i) | (static_cast<uint32_t>(At(i + 1)) << 8); }
  Status Done(Command command, size_t length) {
    ++counts_[static_cast<size_t>(command)];
    pos_ += length;
    return Status::kOk;
  }
  Status Fail(Status status, std::string message) {
    message_ = std::move(message);
    return status;
  }
  Status Truncated(const char* name, size_t need) {
    return Fail(Status::kTruncated, std::string("truncated ") + name + ": needs " + std::to_string(need) +
                                        " bytes, " + std::to_string(size_ - pos_) + " left");
  }
  void SetLength(PageLength::Form form, int32_t value, int64_t units) {
    length_ = PageLength{form, value, units};
    lengthSetOnPage_ = true;
    // A new page length cancels the skip over the perforation.
    text_.skipPerforation = 0;
  }

  const uint8_t* data_;
  size_t size_;
  const InterpreterOptions& options_;
  PageSink& sink_;
  size_t pos_ = 0;
  std::string message_;

  // Head and paper, in device units from the left end of the carriage and
  // from the top of the current page.
  int64_t x_ = 0;
  int64_t y_ = 0;
  int64_t moveUnit_ = kDefaultMoveUnit;
  PageLength length_;
  bool lengthSetOnPage_ = false;
  TextState text_;

  CommandCounts counts_{};
  int64_t adjacentDots_ = 0;
  // Impact emulation: where each pin last fired in the current head pass.
  static constexpr int64_t kNeverFired = std::numeric_limits<int64_t>::min();
  std::array<int64_t, 24> lastFired_ = MakeNeverFired();
  int64_t droppedDots_ = 0;
  static std::array<int64_t, 24> MakeNeverFired() {
    std::array<int64_t, 24> never;
    never.fill(kNeverFired);
    return never;
  }
  std::unique_ptr<DotCanvas> canvas_;
  int32_t pages_ = 0;
  std::vector<PrintedCharacter> characters_;
  std::vector<CellDot> cellDots_;
  int64_t unknownTables_ = 0;
  HeadTravel travel_;
};

}  // namespace marvik::preview
