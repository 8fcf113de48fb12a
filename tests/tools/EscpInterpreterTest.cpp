// The interpreter on hand-made streams: what the encoder never sends (other
// image modes, line feeds, receipt commands, bad bytes), where round trips
// would not look (a skip from a non-zero column, feeds of 256 units and more,
// the ESC ( U unit), how pages are cut and described.
#include <gtest/gtest.h>

#include "tests/tools/RoundTrip.h"

namespace marvik::test {
namespace {

using preview::Head;
using Status = preview::RunResult::Status;

const char* const kTopDot = " 1B 2A 27 01 00 80 00 00";  // one 180 dpi column, top dot only

Outcome Interpret(const std::string& hex, Head head = Head::kPins24, bool lenient = false,
                  bool impact = false, preview::Limits limits = {}, Resolution render = {}) {
  preview::InterpreterOptions options;
  options.head = head, options.lenient = lenient, options.limits = limits, options.impact = impact;
  return Outcome(Hex(hex), {WhitePage(render, 1, 1)}, options);
}

TEST(EscpInterpreter, DotsLandWhereTheCommandsPutTheHead) {
  const std::string top = kTopDot;
  const std::pair<std::string, const char*> cases[] = {
      // Dots at 360 dpi, and where they lie.
      {"1B 28 76 02 00 01 00" + top, "1 dots at 360x360 dpi, bbox x 0..0, y 6..6"},  // ESC ( v in 1/60 in
      {"1B 28 55 01 00 05 1B 28 76 02 00 00 01" + top, "1 dots at 360x360 dpi, bbox x 0..0, y 128..128"},
      {"1B 28 55 01 00 0A 1B 24 0A 00" + top,
       "1 dots at 360x360 dpi, bbox x 10..10, y 0..0"},                      // ESC ( U unit
      {"1B 28 55 01 00 0A 1B 40 1B 24 01 00" + top, "bbox x 6..6, y 0..0"},  // ESC @: 1/60 in again
      // ESC $ is absolute: 266/60 in, not counted from the image's end.
      {"1B 2A 27 03 00 80 00 00 00 00 00 00 00 00 1B 24 0A 01" + top,
       "2 dots at 360x360 dpi, bbox x 0..1596"},
      {"1B 24 01 00 0A" + top, "1 dots at 360x360 dpi, bbox x 0..0, y 60..60"},  // LF: 1/6 in, to the margin
      {"1B 2A 20 02 00 80 00 00 80 00 00", "2 dots at 360x360 dpi, bbox x 0..6, y 0..0"},  // mode 32: 60 dpi
      {"1B 2A 26 02 00 80 00 00 80 00 00", "2 dots at 360x360 dpi, bbox x 0..4, y 0..0"},  // mode 38: 90 dpi
      // A head without adjacent dots at 360 dpi (ESC * 40) skips a pin that
      // fired one column before, and fires it again in the next; a move back,
      // a feed or another mode gives the pin its time.
      {"1B 2A 28 03 00 80 00 00 80 00 00 80 00 00", "2 dots at 360x360 dpi, bbox x 0..2, y 0..0 px"},
      {"1B 2A 28 03 00 80 00 00 80 00 00 80 00 00", ", 1 dots dropped by the impact head"},
      {"1B 2A 28 01 00 80 00 00 1B 24 00 00 1B 2A 28 02 00 00 00 00 80 00 00", ", 0 dots dropped"},
      {"1B 2A 28 01 00 80 00 00 1B 4A 01 1B 2A 28 01 00 80 00 00", ", 0 dots dropped"},
      {"1B 2A 27 02 00 80 00 00 80 00 00", ", 0 dots dropped"},
  };
  for (const auto& c : cases) {
    const Outcome out = Interpret(c.first, Head::kPins24, false, true);
    ASSERT_TRUE(out.run.ok()) << c.first << ": " << out.run.message;
    EXPECT_NE(out.texts.at(0).find(c.second), std::string::npos) << c.first << ": " << out.texts[0];
  }
}

TEST(EscpInterpreter, StopsAtAFaultyCommandAndSaysWhy) {
  struct Case {
    const char* bytes;
    Status status;
    size_t offset;
    const char* says;
    Head head = Head::kPins24;
  };
  const Case cases[] = {
      {"1B 40 0D 0A 99", Status::kBadByte, 4, "unknown byte 0x99"},
      {"0D 1B", Status::kTruncated, 1, "truncated ESC"},
      {"1B 2A 27 02 00 FF FF FF", Status::kTruncated, 0, "needs 11 bytes, 8 left"},
      {"1B 2A 01 01 00 FF", Status::kBadParameter, 0, "mode 1 is not a 24-pin mode"},
      {"1B 2A 27 01 00 01 02 03", Status::kBadParameter, 0, "not a 9-pin mode", Head::kPins9},
      {"1B 28 55 01 00 00", Status::kBadParameter, 0, "unit of 0"},
      {"1C 43 00 00", Status::kBadParameter, 0, "page length of 0"},
      {"1D 56 42", Status::kTruncated, 0, "GS V"},
  };
  for (const Case& c : cases) {
    const preview::RunResult result = Interpret(c.bytes, c.head).run;
    EXPECT_EQ(result.status, c.status) << c.bytes;
    EXPECT_EQ(result.offset, c.offset) << c.bytes;
    EXPECT_NE(result.message.find(c.says), std::string::npos) << c.bytes << ": " << result.message;
  }
  // Lenient, bad bytes are skipped and counted and printing goes on.
  const Outcome lenient = Interpret("1B 40 99" + std::string(kTopDot) + " 98", Head::kPins24, true);
  EXPECT_EQ(lenient.run.firstSkipOffset * 10 + lenient.run.skipped, 22u);
  EXPECT_EQ(lenient.texts.at(0).rfind("page 1: 1 dots at 360x360 dpi, bbox x 0..0, y 0..0", 0), 0u);
}

TEST(EscpInterpreter, EachPageHasItsLengthCommandsAndDescription) {
  // Page 1: ESC C 0 1 (1 in), a dot 1 in down; page 2: ESC 2 ESC C 66 and
  // receipt commands; page 3: its length cleared by ESC @, two 360 dpi
  // columns side by side, no form feed.
  const Outcome out =
      Interpret("1B 43 00 01 1B 4A B4" + std::string(kTopDot) +
                " 0C 1B 40 1B 32 1B 43 42 1B 55 01 1B 70 00 33 00 1D 0C 1D 56 42 70 1D 56 01 0D 0C"
                " 1B 40 1B 2A 28 03 00 FF FF FF 3C 00 00 F0 00 00");
  ASSERT_TRUE(out.run.ok()) << out.run.message;
  ASSERT_EQ(out.run.pages, 3);
  EXPECT_EQ(
      out.texts[0],
      "page 1: 1 dots at 360x360 dpi, bbox x 0..0, y 360..360 px (0.00..0.00 in across, 1.00..1.00 in down), "
      "page length ESC C 0 1 (1.00 in), dots run 0.00 in past the page length\n"
      "  commands: FF x1, ESC C x1, ESC J x1, ESC * x1\n");
  EXPECT_EQ(
      out.texts[1],
      "page 2: 0 dots at 360x360 dpi, no bbox, page length ESC C 66 lines (11.00 in)\n"
      "  commands: ESC @ x1, CR x1, FF x1, ESC 2 x1, ESC C x1, ESC U x1, ESC p x1, GS V x2, GS FF x1\n");
  EXPECT_EQ(out.pages[2].length.form, preview::PageLength::Form::kNotSet);
  EXPECT_FALSE(out.pages[2].endedByFormFeed);
  EXPECT_EQ(out.pages[2].adjacentDots, 4 + 2);  // 0x3C after 0xFF, then 0xF0 after 0x3C
  EXPECT_NE(out.texts[2].find("no form feed at the end, 6 dots next to another"), std::string::npos);

  EXPECT_EQ(Interpret("0C 1B 40 0D 1B 4A 05").run.trailingCommands, 2);
}

TEST(EscpInterpreter, RefusesWhatWouldGrowBeyondItsBounds) {
  preview::Limits unlimited, fewPages;
  fewPages.maxPages = 2;
  const std::tuple<std::string, preview::Limits, Resolution, const char*> cases[] = {
      {"1B 24 FF FF" + std::string(kTopDot), unlimited, {360, 360}, "beyond the page limit"},
      {"0C 0C 0C", fewPages, {360, 360}, "more than 2 pages"},
      {kTopDot, unlimited, {5000, 360}, "render resolution 5000x360"}};
  for (const auto& [bytes, limits, render, says] : cases) {
    const preview::RunResult result = Interpret(bytes, Head::kPins24, true, false, limits, render).run;
    EXPECT_NE(result.status == Status::kLimit ? result.message.find(says) : std::string::npos,
              std::string::npos)
        << says << ": " << result.message;
  }
}

}  // namespace
}  // namespace marvik::test
