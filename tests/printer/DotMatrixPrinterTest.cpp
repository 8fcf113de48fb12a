// The printer command model: framing buffers in key order, the page-length
// command, media options and the gray form of a page.
#include <gtest/gtest.h>

#include "printer/DotMatrixPrinter.h"
#include "tests/printer/HexBytes.h"

namespace marvik::test {
namespace {

using Builder = void (DotMatrixPrinter::*)(Bytes&) const;
const Builder kStartDoc = &DotMatrixPrinter::StartDoc, kStartPage = &DotMatrixPrinter::StartPage,
              kEndPage = &DotMatrixPrinter::EndPage, kEndDoc = &DotMatrixPrinter::EndDoc;

std::string Built(const DotMatrixPrinter& p, Builder build) {
  Bytes out = Hex("EE");  // earlier content must go
  (p.*build)(out);
  return ToHex(out);
}

// A model that adds its own entries, to see where keys land.
class ExtendedPrinter : public DotMatrixPrinter {
 public:
  ExtendedPrinter() : DotMatrixPrinter(PIN_TYPE_24, 180, 180) {
    startJobCmds[500] = "J";  // after every start-of-document key, still first
    endJobCmds[-50] = "K";    // before every end-of-document key, still last
    endDocCmds[7] = "D";
    endPageCmds[-1] = "<0A>";     // before the form feed
    endPageCmds[101] = "<0B>";    // after it
    startPageCmds[1] = "<0A0D>";  // same key: replaced, not added
  }
};

TEST(DotMatrixPrinter, FramesJoinTheTablesInKeyOrder) {
  EXPECT_EQ(Built(DotMatrixPrinter(PIN_TYPE_24, 180, 180), &DotMatrixPrinter::PageFrame),
            "1B 40 0D 0C 1B 40");
  const ExtendedPrinter ext;
  EXPECT_EQ(Built(ext, kStartDoc), "4A 1B 40");
  EXPECT_EQ(Built(ext, kStartPage), "0A 0D");
  EXPECT_EQ(Built(ext, kEndPage), "0A 0C 0B");
  EXPECT_EQ(Built(ext, kEndDoc), "44 4B 1B 40");
  EXPECT_EQ(Built(ext, kEndDoc), "44 4B 1B 40");  // building changes nothing
}

TEST(DotMatrixPrinter, PageLengthCommand) {
  DotMatrixPrinter::InitPageLength();
  DotMatrixPrinter::InitPageLength();  // harmless twice
  // Listed lengths in lines (ESC 2, ESC C n, rounded half up), others in
  // 1/360 inch (FS C, divided before scaling: 23 points are 114 units); none
  // for what rounds to no line or does not fit two bytes.
  const std::pair<int, const char*> cases[] = {{6, "1C 43 1E 00"},
                                               {23, "1C 43 72 00"},
                                               {792, "1B 32 1B 43 42"},
                                               {595, "1B 32 1B 43 32"},
                                               {800, "1C 43 A0 0F"},
                                               {13107, "1C 43 FF FF"},
                                               {13108, ""},
                                               {5, ""},
                                               {-72, ""}};
  for (const auto& c : cases) {
    DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
    p.SetPageLength(c.first);
    EXPECT_EQ(Built(p, kStartDoc), "1B 40" + std::string(*c.second ? " " : "") + c.second)
        << c.first << " points";
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
      {[](DotMatrixPrinter& p) { p.SetPrintMode("simpleprn"); }, kStartDoc, "1B 40 1B 55 00"},
      {[](DotMatrixPrinter& p) { p.SetPrintMode("SIMPLEPRN"), p.SetUniDirection(false); }, kStartDoc,
       "1B 40 1B 55 00 1B 55 01"},
      {[](DotMatrixPrinter& p) { p.SetCashMode("Option2"); }, kEndDoc, "1B 70 00 33 00 1B 40"},
      {[](DotMatrixPrinter& p) { p.SetCashMode("Option3"); }, kStartDoc, "1B 40 1B 70 00 33 00"},
      {[](DotMatrixPrinter& p) { p.SetBlackMarkMode("Option2"); }, kEndPage, "0C 1D 0C"},
      {[](DotMatrixPrinter& p) { p.SetBlackMarkMode("Option3"); }, kStartPage, "0D 1D 0C"},
      {[](DotMatrixPrinter& p) { p.SetCutterMode("Option4", "x"); }, kEndPage, "0C 1D 56 01"},
      {[](DotMatrixPrinter& p) { p.SetCutterMode("Option3", "Option1"); }, kEndPage, "0C 1D 56 42 70"},
      {[](DotMatrixPrinter& p) { p.SetCutterMode("Option3", "Option3"); }, kEndPage, "0C 1D 56 42 01"},
      {[](DotMatrixPrinter& p) { p.SetCutterMode("Option3", "Option9"); }, kEndPage, "0C"},
      {[](DotMatrixPrinter& p) { p.SetCashMode("Option2"), p.SetCutterMode("Option2", "Option1"); }, kEndDoc,
       "1D 56 42 70 1B 40"},
  };
  for (const Case& c : cases) {
    DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
    c.setup(p);
    EXPECT_EQ(Built(p, c.buffer), c.bytes) << &c - cases;
  }
}

TEST(DotMatrixPrinter, GrayPageIsHalftonedAndPackedBeforeTheWalk) {
  // 20 x 30 gray, black but for a white column 3; stride 24 with gray in the
  // padding, which must not print. As bits: rows EF FF F0.
  const uint64_t stride = 24, width = 20, height = 30;
  Bytes gray(stride * height, 0), bits;
  for (uint64_t y = 0; y < height; ++y) {
    gray[y * stride + 3] = 255;
    for (uint64_t x = width; x < stride; ++x) gray[y * stride + x] = 7;
    bits.insert(bits.end(), {0xEF, 0xFF, 0xF0});
  }
  for (const char* name : {"HT_PATSIZE_AUTO", "HT_PATSIZE_8x8_M", "HT_PATSIZE_SUPERCELL_M", "no such"}) {
    DotMatrixPrinter viaGray(PIN_TYPE_24, 180, 180), viaBits(PIN_TYPE_24, 180, 180);
    EXPECT_EQ(viaGray.SetPage(gray.data(), stride, width, height, name), 1);
    EXPECT_EQ(viaBits.SetPage(bits.data(), 3, width, height), 1);
    EXPECT_EQ(Built(viaGray, &DotMatrixPrinter::Page), Built(viaBits, &DotMatrixPrinter::Page)) << name;
  }
  DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
  EXPECT_EQ(p.SetPage(nullptr, stride, width, height, "HT_PATSIZE_AUTO"), -1);
  EXPECT_EQ(p.SetPage(gray.data(), stride, stride + 1, height, "HT_PATSIZE_AUTO"), -1);  // wider than a row
}

}  // namespace
}  // namespace marvik::test
