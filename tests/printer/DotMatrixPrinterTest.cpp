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
  // The coarsest exact command: whole inches up to 22 (ESC C 0 n), whole
  // sixth-inch lines up to 127 (ESC 2 ESC C n), else 1/360 inch (FS C); none
  // for no length or one that does not fit two bytes.
  const struct {
    int points;
    const char* bytes;
  } cases[] = {{792, " 1B 43 00 0B"},
               {1584, " 1B 43 00 16"},
               {1656, " 1C 43 58 20"},
               {396, " 1B 32 1B 43 21"},
               {1524, " 1B 32 1B 43 7F"},
               {1536, " 1C 43 00 1E"},
               {842, " 1C 43 72 10"},
               {13107, " 1C 43 FF FF"},
               {13108, ""},
               {-72, ""}};
  for (const auto& c : cases) {
    DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
    p.SetPageLength(c.points);
    EXPECT_EQ(Built(p, kStartDoc), std::string("1B 40") + c.bytes) << c.points << " points";
  }
  DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
  p.SetPageLength(792);
  p.SetPageLength(800);  // replaces
  p.SetPageLength(0);    // no command: the earlier one stays
  EXPECT_EQ(Built(p, kStartDoc), "1B 40 1C 43 A0 0F");
  // A float's 7.3 in are 2628 units and IPP's 93.14 mm are 3 2/3 in, also
  // where their error has added up to half a unit; 100 mm are 1417.32: forms
  // of 1417 and 1418 that stay within half a unit of n forms.
  p.SetFormLength(525.6f, 4097);
  EXPECT_EQ(Built(p, kStartDoc), "1B 40 1C 43 44 0A");
  p.SetFormLength(9314 * 72 / 2540.0f, 6);
  EXPECT_EQ(Built(p, kStartDoc), "1B 40 1B 32 1B 43 16");
  int64_t moved = 0;
  for (int64_t form = 1; form <= 1000; ++form) {
    p.SetFormLength(1417.3228346 / 5, form);
    const Bytes start = Hex(Built(p, kStartDoc));
    moved += start.at(4) + 256 * start.at(5);
    ASSERT_LE(std::abs(moved - form * 1417.3228346), 0.5) << "form " << form;
  }
}

// The rows above a raster of the imageable area are fed first; rows that
// begin at or below the page length are left out, and the paper never
// reaches it, or the form feed would pass over a whole form.
TEST(DotMatrixPrinter, APageBodyStaysOnItsForm) {
  const std::string image = " 1B 2A 27 01 00 FF FF FF", band = " 0D 1B 4A 18" + image;
  const struct {
    int32_t dpi, rowsAbove;
    uint64_t firstInk;  // rows from here to the 400th hold a dot in column 0
    std::string body;
  } cases[] = {
      {180, 45, 0,
       "0D 1B 4A 2D" + image + band + band + band + band + " 0D 1B 4A 18 1B 2A 27 01 00 FF FE 00"},
      {360, 0, 359, "0D 1B 28 55 01 00 0A 0D 1B 28 76 02 00 67 01 1B 28 55 01 00 3C 1B 2A 28 01 00 80 00 00"},
  };
  for (const auto& c : cases) {
    DotMatrixPrinter p(PIN_TYPE_24, c.dpi, c.dpi);
    p.SetPageLength(72);
    p.SetRowsAbove(c.rowsAbove);
    Bytes bitmap(400, 0);
    std::fill(bitmap.begin() + c.firstInk, bitmap.end(), 0x80);
    p.SetPage(bitmap.data(), 1, 1, bitmap.size());
    EXPECT_EQ(Built(p, &DotMatrixPrinter::Page), c.body) << c.dpi << " dpi";
  }
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
