// The printer command model: framing buffers, page length, media options.
#include <gtest/gtest.h>

#include "HexBytes.h"
#include "printer/DotMatrixPrinter.h"

using printer_test::Bytes;
using printer_test::Hex;
using printer_test::ToHex;

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

}  // namespace

TEST(DotMatrixPrinterFrames, DefaultsAndKeyOrder) {
  DotMatrixPrinter plain(PIN_TYPE_24, 180, 180);
  EXPECT_EQ(Built(plain, kStartDoc), "1B 40");
  EXPECT_EQ(Built(plain, kStartPage), "0D");
  EXPECT_EQ(Built(plain, kEndPage), "0C");
  EXPECT_EQ(Built(plain, kEndDoc), "1B 40");
  EXPECT_EQ(Built(plain, &DotMatrixPrinter::Page), "");  // no page handed over yet

  ExtendedPrinter ext;
  EXPECT_EQ(Built(ext, kStartDoc), "4A 1B 40");
  EXPECT_EQ(Built(ext, kStartPage), "0A 0D");
  EXPECT_EQ(Built(ext, kEndPage), "0A 0C 0B");
  EXPECT_EQ(Built(ext, kEndDoc), "44 4B 1B 40");
  EXPECT_EQ(Built(ext, kEndDoc), "44 4B 1B 40");  // building changes nothing
}

TEST(DotMatrixPrinterFrames, PageLengthCommand) {
  DotMatrixPrinter::InitPageLength();
  DotMatrixPrinter::InitPageLength();  // harmless twice
  const std::pair<int, const char*> cases[] = {
      {6, "1B 40 1C 43 1E 00"},        // FS C 30/360 in
      {23, "1B 40 1C 43 72 00"},       // 114: divided before scaling
      {37, "1B 40 1C 43 B8 00"},       // 184
      {792, "1B 40 1B 32 1B 43 42"},   // letter: ESC 2, ESC C 66 lines
      {842, "1B 40 1B 32 1B 43 46"},   // A4: 70 lines
      {1191, "1B 40 1B 32 1B 43 63"},  // 99 lines
      {800, "1B 40 1C 43 A0 0F"},      // not listed: 4000 units
      {3066, "1B 40 1C 43 E2 3B"},     // 256 lines is still a length (15330)
      {3077, "1B 40 1C 43 19 3C"},     // 15385
      {6138, "1B 40 1C 43 E2 77"},     // 512 lines (30690)
      {13107, "1B 40 1C 43 FF FF"},    // longest expressible
      {13108, "1B 40"},                // too long for two bytes
      {-72, "1B 40"},
  };
  for (const auto& c : cases) {
    DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
    p.SetPageLength(c.first);
    EXPECT_EQ(Built(p, kStartDoc), c.second) << c.first << " points";
  }
  for (int points = 0; points <= 5; ++points) {  // rounds to 0 lines: no command
    DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
    p.SetPageLength(points);
    EXPECT_EQ(Built(p, kStartDoc), "1B 40") << points << " points";
  }
  DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
  p.SetPageLength(792);
  p.SetPageLength(800);  // replaces
  p.SetPageLength(3);    // no command: the earlier one stays
  EXPECT_EQ(Built(p, kStartDoc), "1B 40 1C 43 A0 0F");
}

TEST(DotMatrixPrinterMedia, SettersPlaceTheirCommands) {
  struct Case {
    const char* name;
    void (*setup)(DotMatrixPrinter&);
    Builder buffer;
    const char* bytes;
  };
  const Case cases[] = {
      {"plain paper", [](DotMatrixPrinter& p) { p.SetPaperType("A4"); }, kEndPage, "0C 0C"},
      {"ticket", [](DotMatrixPrinter& p) { p.SetPaperType("TICKET"); }, kEndPage, "0C"},
      {"one direction", [](DotMatrixPrinter& p) { p.SetPrintMode("SIMPLEPRN"); }, kStartDoc,
       "1B 40 1B 55 01"},
      {"mode fallback", [](DotMatrixPrinter& p) { p.SetPrintMode("simpleprn"); }, kStartDoc,
       "1B 40 1B 55 00"},
      {"keys 1 then 100", [](DotMatrixPrinter& p) { p.SetPrintMode("SIMPLEPRN"), p.SetUniDirection(false); },
       kStartDoc, "1B 40 1B 55 00 1B 55 01"},
      {"pulse after", [](DotMatrixPrinter& p) { p.SetCashMode("Option2"); }, kEndDoc, "1B 70 00 33 00 1B 40"},
      {"pulse before", [](DotMatrixPrinter& p) { p.SetCashMode("Option3"); }, kStartDoc,
       "1B 40 1B 70 00 33 00"},
      {"mark at end", [](DotMatrixPrinter& p) { p.SetBlackMarkMode("Option2"); }, kEndPage, "0C 1D 0C"},
      {"mark at start", [](DotMatrixPrinter& p) { p.SetBlackMarkMode("Option3"); }, kStartPage, "0D 1D 0C"},
      {"cut 4", [](DotMatrixPrinter& p) { p.SetCutterMode("Option4", "x"); }, kEndPage, "0C 1D 56 01"},
      {"cut 3/1", [](DotMatrixPrinter& p) { p.SetCutterMode("Option3", "Option1"); }, kEndPage,
       "0C 1D 56 42 70"},
      {"cut 3/3", [](DotMatrixPrinter& p) { p.SetCutterMode("Option3", "Option3"); }, kEndPage,
       "0C 1D 56 42 01"},
      {"cut 3/9", [](DotMatrixPrinter& p) { p.SetCutterMode("Option3", "Option9"); }, kEndPage, "0C"},
      {"last of pulse and cut",
       [](DotMatrixPrinter& p) { p.SetCashMode("Option2"), p.SetCutterMode("Option2", "Option1"); }, kEndDoc,
       "1D 56 42 70 1B 40"},
  };
  for (const Case& c : cases) {
    DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
    c.setup(p);
    EXPECT_EQ(Built(p, c.buffer), c.bytes) << c.name;
  }
}

TEST(DotMatrixPrinterMedia, HalftonePageIsPackedBeforeTheWalk) {
  // 20 x 30 gray, black but a white column 3; stride 24 with gray in the
  // padding, which must not print. As bits: rows EF FF F0.
  const uint64_t stride = 24, width = 20, height = 30;
  std::vector<unsigned char> gray(stride * height, 0), bits;
  for (uint64_t y = 0; y < height; ++y) {
    gray[y * stride + 3] = 255;
    for (uint64_t x = width; x < stride; ++x) gray[y * stride + x] = 7;
    bits.insert(bits.end(), {0xEF, 0xFF, 0xF0});
  }
  for (const char* name : {"HT_PATSIZE_AUTO", "HT_PATSIZE_8x8_M", "HT_PATSIZE_SUPERCELL_M", "no such"}) {
    DotMatrixPrinter viaGray(PIN_TYPE_24, 180, 180), viaBits(PIN_TYPE_24, 180, 180);
    EXPECT_EQ(viaGray.SetPage(gray.data(), stride, width, height, name), 1);
    EXPECT_EQ(viaBits.SetPage(bits.data(), 3, width, height), 1);
    EXPECT_NE(Built(viaBits, &DotMatrixPrinter::Page), "");
    EXPECT_EQ(Built(viaGray, &DotMatrixPrinter::Page), Built(viaBits, &DotMatrixPrinter::Page)) << name;
  }
  DotMatrixPrinter p(PIN_TYPE_24, 180, 180);
  EXPECT_EQ(p.SetPage(nullptr, stride, width, height, "HT_PATSIZE_AUTO"), -1);
  EXPECT_EQ(p.SetPage(gray.data(), stride, stride + 1, height, "HT_PATSIZE_AUTO"), -1);  // wider than a row
}
