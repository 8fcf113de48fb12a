// The printer command model: the page frame, the page-length command and
// media options.
#include <gtest/gtest.h>

#include "printer/DotMatrixPrinter.h"
#include "tests/printer/HexBytes.h"

namespace marvik::test {
namespace {

using Builder = void (DotMatrixPrinter::*)(Bytes&) const;
const Builder kStartDoc = &DotMatrixPrinter::StartDoc, kEndPage = &DotMatrixPrinter::EndPage,
              kEndDoc = &DotMatrixPrinter::EndDoc;

std::string Built(const DotMatrixPrinter& p, Builder build) {
  Bytes out = Hex("EE");  // earlier content must go
  (p.*build)(out);
  return ToHex(out);
}

TEST(DotMatrixPrinter, PageFrameAndPageLengthCommand) {
  EXPECT_EQ(Built(DotMatrixPrinter(PIN_TYPE_24, 180, 180), &DotMatrixPrinter::PageFrame),
            "1B 40 0D 0C 1B 40");
  DotMatrixPrinter::InitPageLength();
  // Listed lengths in lines (ESC 2, ESC C n, rounded half up), others in
  // 1/360 inch (FS C, divided before scaling: 23 points are 114 units); none
  // for what rounds to no line or does not fit two bytes.
  const int points[] = {6, 23, 792, 595, 800, 13107, 13108, 5, -72};
  const char* const bytes[] = {" 1C 43 1E 00",
                               " 1C 43 72 00",
                               " 1B 32 1B 43 42",
                               " 1B 32 1B 43 32",
                               " 1C 43 A0 0F",
                               " 1C 43 FF FF",
                               "",
                               "",
                               ""};
  for (size_t i = 0; i < std::size(points); ++i) {
    DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
    p.SetPageLength(points[i]);
    EXPECT_EQ(Built(p, kStartDoc), std::string("1B 40") + bytes[i]) << points[i] << " points";
  }
  DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
  p.SetPageLength(792);
  p.SetPageLength(800);  // replaces
  p.SetPageLength(3);    // no command: the earlier one stays
  EXPECT_EQ(Built(p, kStartDoc), "1B 40 1C 43 A0 0F");
}

TEST(DotMatrixPrinter, MediaSettersPlaceTheirCommands) {
  struct Case {
    void (*setup)(DotMatrixPrinter&);
    Builder buffer;
    const char* bytes;
  };
  const Case cases[] = {
      {[](DotMatrixPrinter& p) { p.SetPaperType("A4"); }, kEndPage, "0C 0C"},
      {[](DotMatrixPrinter& p) { p.SetPaperType("TICKET"); }, kEndPage, "0C"},
      {[](DotMatrixPrinter& p) { p.SetPrintMode("SIMPLEPRN"); }, kStartDoc, "1B 40 1B 55 01"},
      {[](DotMatrixPrinter& p) { p.SetPrintMode("SIMPLEPRN"), p.SetUniDirection(false); }, kStartDoc,
       "1B 40 1B 55 00 1B 55 01"},
      {[](DotMatrixPrinter& p) { p.SetCashMode("Option2"); }, kEndDoc, "1B 70 00 33 00 1B 40"},
      {[](DotMatrixPrinter& p) { p.SetCashMode("Option3"); }, kStartDoc, "1B 40 1B 70 00 33 00"},
      {[](DotMatrixPrinter& p) { p.SetBlackMarkMode("Option2"); }, kEndPage, "0C 1D 0C"},
      {[](DotMatrixPrinter& p) { p.SetCutterMode("Option4", "x"); }, kEndPage, "0C 1D 56 01"},
      {[](DotMatrixPrinter& p) { p.SetCutterMode("Option3", "Option1"); }, kEndPage, "0C 1D 56 42 70"},
      {[](DotMatrixPrinter& p) { p.SetCutterMode("Option3", "Option3"); }, kEndPage, "0C 1D 56 42 01"},
      {[](DotMatrixPrinter& p) { p.SetCashMode("Option2"), p.SetCutterMode("Option2", "Option1"); }, kEndDoc,
       "1D 56 42 70 1B 40"},
  };
  for (const Case& c : cases) {
    DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
    c.setup(p);
    EXPECT_EQ(Built(p, c.buffer), c.bytes) << &c - cases;
  }
}

}  // namespace
}  // namespace marvik::test
