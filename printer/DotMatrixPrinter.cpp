// Command tables, framing buffers and the page-length command.
#include "printer/DotMatrixPrinter.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace {

// Order keys of the entries this file writes.
constexpr int32_t kKeyInitialise = 0;
constexpr int32_t kKeyPageLength = 3;
constexpr int32_t kKeyCarriageReturn = 1;
constexpr int32_t kKeyFormFeed = 0;
constexpr int32_t kKeyJobEndInitialise = 104;

}  // namespace

std::set<int32_t> DotMatrixPrinter::s_pageLength;

DotMatrixPrinter::DotMatrixPrinter(pin_type_e pinType, int32_t dpiX, int32_t dpiY)
    : escp(pinType, dpiX, dpiY) {
  // Qualified calls: the defaults of this class, whatever a subclass adds.
  DotMatrixPrinter::StartJobCmd();
  DotMatrixPrinter::StartDocCmd();
  DotMatrixPrinter::StartPageCmd();
  DotMatrixPrinter::EndPageCmd();
  DotMatrixPrinter::EndDocCmd();
  DotMatrixPrinter::EndJobCmd();
}

void DotMatrixPrinter::StartJobCmd() {}
void DotMatrixPrinter::StartDocCmd() {
  startDocCmds[kKeyInitialise] = "<1B>@";
}
void DotMatrixPrinter::StartPageCmd() {
  startPageCmds[kKeyCarriageReturn] = "<0D>";
}
void DotMatrixPrinter::EndPageCmd() {
  endPageCmds[kKeyFormFeed] = "<0C>";
}
void DotMatrixPrinter::EndDocCmd() {}
void DotMatrixPrinter::EndJobCmd() {
  endJobCmds[kKeyJobEndInitialise] = "<1B>@";
}

void DotMatrixPrinter::BuildBuffer(const CmdTable& first, const CmdTable* second,
                                   std::vector<unsigned char>& out) {
  std::string text;
  for (const auto& entry : first) {
    text += entry.second;
  }
  if (second != nullptr) {
    for (const auto& entry : *second) {
      text += entry.second;
    }
  }
  MarvikESCP::SequenceToByte(text, out);
}

void DotMatrixPrinter::StartDoc(std::vector<unsigned char>& out) const {
  BuildBuffer(startJobCmds, &startDocCmds, out);
}
void DotMatrixPrinter::StartPage(std::vector<unsigned char>& out) const {
  BuildBuffer(startPageCmds, nullptr, out);
}
void DotMatrixPrinter::EndPage(std::vector<unsigned char>& out) const {
  BuildBuffer(endPageCmds, nullptr, out);
}
void DotMatrixPrinter::EndDoc(std::vector<unsigned char>& out) const {
  BuildBuffer(endDocCmds, &endJobCmds, out);
}
void DotMatrixPrinter::Page(std::vector<unsigned char>& out) const {
  out = escp.PrinterData();
}

void DotMatrixPrinter::PageFrame(std::vector<unsigned char>& out) const {
  out.clear();
  std::vector<unsigned char> part;
  for (auto build : {&DotMatrixPrinter::StartDoc, &DotMatrixPrinter::StartPage, &DotMatrixPrinter::Page,
                     &DotMatrixPrinter::EndPage, &DotMatrixPrinter::EndDoc}) {
    (this->*build)(part);
    out.insert(out.end(), part.begin(), part.end());
  }
}

int32_t DotMatrixPrinter::SetPage(const unsigned char* bitmap, uint64_t bytesPerLine, uint64_t width,
                                  uint64_t height) {
  return escp.DotMatrix2Page(bitmap, bytesPerLine, width, height);
}

void DotMatrixPrinter::InitPageLength() {
  // Printers of different queues print on different threads of one printer
  // application: the set is filled once, and every reader has passed here.
  static std::once_flag filled;
  std::call_once(filled, [] {
    static constexpr int32_t kKnownLengths[] = {396, 419, 420, 459, 468, 516, 540, 567,  595,  624, 639,
                                                649, 684, 709, 729, 792, 842, 935, 1008, 1032, 1191};
    s_pageLength.insert(std::begin(kKnownLengths), std::end(kKnownLengths));
  });
}

void DotMatrixPrinter::SetPageLength(int points) {
  // Longer pages do not fit the two-byte fine-unit form; negative ones are
  // no length at all. Either way the printer keeps its own setting.
  if (points < 0 || points > kMaxPageLengthPoints) {
    return;
  }
  // Lines at 6 per inch, rounded half up (points / 12).
  const int lines = static_cast<int>(points / 72.0 * 6 + 0.5);
  if (lines == 0) {
    return;
  }
  InitPageLength();
  char text[32];
  if (s_pageLength.count(points) != 0) {
    std::snprintf(text, sizeof text, "<1B>2<1B>C<%02X>", static_cast<unsigned>(lines));
  } else {
    // Divide first, then scale: 23 points are 114 units, not 115.
    const int units = static_cast<int>(points / 72.0 * 360);
    std::snprintf(text, sizeof text, "<1C>C<%02X%02X>", static_cast<unsigned>(units % 256),
                  static_cast<unsigned>(units / 256));
  }
  startDocCmds[kKeyPageLength] = text;
}
