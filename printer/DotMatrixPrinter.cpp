// Command tables, framing buffers and the page-length command.
#include "printer/DotMatrixPrinter.h"

#include <algorithm>
#include <string>

namespace {

// Order keys of the entries this file writes.
constexpr int32_t kKeyInitialise = 0;
constexpr int32_t kKeyPageLength = 3;
constexpr int32_t kKeyCarriageReturn = 1;
constexpr int32_t kKeyFormFeed = 0;
constexpr int32_t kKeyJobEndInitialise = 104;

}  // namespace

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
  return escp.DotMatrix2Page(bitmap, bytesPerLine, width, RowsOnForm(height));
}

uint64_t DotMatrixPrinter::RowsOnForm(uint64_t height) const {
  const int64_t dpiY = escp.DpiY();
  if (formUnits == 0 || dpiY <= 0) {
    return height;
  }
  // Rows whose top lies above the page length, counted from the top of form.
  const int64_t onForm =
      (formUnits * dpiY + marvik::escp::kFormUnitsPerInch - 1) / marvik::escp::kFormUnitsPerInch -
      escp.RowsAbove();
  return std::min(height, static_cast<uint64_t>(std::max<int64_t>(onForm, 0)));
}

void DotMatrixPrinter::SetPageLength(int points) {
  SetFormLength(points, 1);
}

void DotMatrixPrinter::SetFormLength(double points, int64_t form) {
  // Longer pages do not fit the two-byte fine-unit form; negative ones are
  // no length at all. Either way the printer keeps its own setting.
  if (!(points > 0 && points <= kMaxPageLengthPoints)) {
    return;
  }
  const int64_t units = marvik::escp::FormUnits(points * marvik::escp::kFormUnitsPerPoint, form);
  const std::string text = marvik::escp::PageLengthText(units);
  if (text.empty()) {
    return;
  }
  startDocCmds[kKeyPageLength] = text;
  formUnits = units;
}

void DotMatrixPrinter::SetRowsAbove(int32_t rows) {
  escp.SetRowsAbove(rows);
}
