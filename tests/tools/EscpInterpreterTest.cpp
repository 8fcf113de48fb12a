// The interpreter on hand-made streams: what the encoder never sends (other
// image modes, line feeds, receipt commands, bad bytes), where round trips
// would not look (a skip from a non-zero column, feeds of 256 units and more,
// the ESC ( U unit), how pages are cut and described.
#include <gtest/gtest.h>

#include "tests/tools/RoundTrip.h"
#include "tools/preview/TextLayout.h"

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
      // Characters, drawn without a font as the outline of pins 2 to 21: 12
      // dots across a 10 cpi draft cell, 36 in letter quality; bold strikes
      // again one dot right, double-strike one pin lower, underline adds the
      // bottom pin, italic leans.
      {"41", "1 characters at 360x360 dpi, bbox x 0..33, y 4..42 px"},
      {"1B 78 01 41", "bbox x 0..35, y 4..42 px"},
      {"1B 45 41", "bbox x 0..35, y 4..42 px"},
      {"1B 47 41", "bbox x 0..33, y 4..44 px"},
      {"1B 2D 01 41", "bbox x 0..33, y 4..46 px"},
      {"1B 34 41", "bbox x 0..41, y 4..42 px"},
      {"1B 28 74 03 00 01 63 00 41", "1 ESC ( t for a table the printer does not have"},
      // Time on paper: a pass prints from the end nearer the head, slewing
      // over gaps; printing one way, the head first returns (1 in more).
      {top + " 1B 24 3C 00" + top + " 0D" + top + " 1B 24 3C 00" + top,
       "time: 2 head passes, 0.0 in printed, 2.0 in moved, 0.00 in of paper fed"},
      {"1B 55 01" + top + " 1B 24 3C 00" + top + " 0D" + top + " 1B 24 3C 00" + top, "3.0 in moved"},
      {"0A 1B 33 14 0A 41", "0.28 in of paper fed"},
  };
  for (const auto& c : cases) {
    const Outcome out = Interpret(c.first, Head::kPins24, false, true);
    ASSERT_TRUE(out.run.ok()) << c.first << ": " << out.run.message;
    EXPECT_NE(out.texts.at(0).find(c.second), std::string::npos) << c.first << ": " << out.texts[0];
  }
}

// Where the last character of a stream lands, "page:character x/y" in 1/120
// in across and 1/360 in down, and what it decodes to.
TEST(EscpInterpreter, CharactersLandInTheirColumnAndLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"41 09 42", "1:B 96/0"},                     // default stops every 8 columns
      {"1B 44 03 0A 00 41 09 09 42", "1:B 120/0"},  // ESC D: stops at 3 and 10
      {"41 42 08 43", "1:C 12/0"},
      {"1B 6C 05 41 0D 0A 42", "1:B 60/60"},                // left margin, CR, LF
      {"1B 51 03 41 42 43 44", "1:D 0/60"},                 // right margin: the printer starts a new line
      {"1B 4D 41 42", "1:B 10/0"},                          // 12 cpi
      {"1B 67 41 42", "1:B 8/0"},                           // 15 cpi
      {"0F 41 42", "1:B 7/0"},                              // condensed 17.1 cpi
      {"1B 4D 0F 41 42", "1:B 6/0"},                        // condensed 20 cpi
      {"1B 67 0F 41 12 42", "1:B 8/0"},                     // 15 cpi has no condensed form
      {"1B 4D 1B 6C 02 1B 30 1B 40 41 0A 42", "1:B 0/60"},  // ESC @ resets pitch, margin, spacing
      {"1B 30 0A 41", "1:A 0/45"},
      {"1B 33 0A 0A 41", "1:A 0/20"},
      {"1B 43 04 1B 4E 02 0A 0A 41", "2:A 0/0"},  // ESC N: the line feed into the skip ends the page
      {"1B 28 74 03 00 01 03 00 9B", "1:ø 0/0"},  // PC850 in slot 1
      {"1B 28 74 03 00 01 63 00 9B", "1:¢ 0/0"},  // a table the printer lacks: it keeps PC437
      {"1B 74 00 C1", "1:A 0/0"},                 // the italic table
  };
  for (const auto& [bytes, expected] : cases) {
    const Outcome out = Interpret(bytes);
    ASSERT_TRUE(out.run.ok() && !out.characters.empty() && !out.characters.back().empty())
        << bytes << ": " << out.run.message;
    const preview::PrintedCharacter& c = out.characters.back().back();
    std::string said = std::to_string(out.pages.size()) + ":" + preview::ToUtf8(c.codePoint) + " " +
                       std::to_string(c.x * 120 / preview::kUnitsPerInch) + "/" +
                       std::to_string(c.y * 360 / preview::kUnitsPerInch);
    EXPECT_EQ(said, expected) << bytes;
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
      {"1B 40 0D 0A 7F", Status::kBadByte, 4, "unknown byte 0x7F"},
      {"1B 28 74 03 00 01 1D 10 85", Status::kBadByte, 8, "0x85: no character in the table"},  // ISO 8859-1
      {"1B 28 74 03 00 04 01 00", Status::kBadParameter, 0, "ESC ( t for slot 4"},
      {"1B 6C 50", Status::kBadParameter, 0, "ESC l 80 leaves no column"},
      {"1B 44 05 03 00", Status::kBadParameter, 0, "out of order"},
      {"1B 44 01 02", Status::kTruncated, 0, "ESC D"},
      {"1B 2D 02", Status::kBadParameter, 0, "ESC - 0x02"},
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
  const Outcome lenient = Interpret("1B 40 7F" + std::string(kTopDot) + " 00", Head::kPins24, true);
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
      "  commands: FF x1, ESC C x1, ESC J x1, ESC * x1\n"
      "  time: 1 head passes, 0.0 in printed, 0.0 in moved, 2.00 in of paper fed, about 0.6 s\n");
  EXPECT_EQ(out.texts[1],
            "page 2: 0 dots at 360x360 dpi, no bbox, page length ESC C 66 lines (11.00 in)\n"
            "  commands: ESC @ x1, CR x1, FF x1, ESC 2 x1, ESC C x1, ESC U x1, ESC p x1, GS V x2, GS FF x1\n"
            "  time: 0 head passes, 0.0 in printed, 0.0 in moved, 11.00 in of paper fed, about 2.2 s\n");
  EXPECT_EQ(out.pages[2].length.form, preview::PageLength::Form::kNotSet);
  EXPECT_FALSE(out.pages[2].endedByFormFeed);
  EXPECT_EQ(out.pages[2].adjacentDots, 4 + 2);  // 0x3C after 0xFF, then 0xF0 after 0x3C
  EXPECT_NE(out.texts[2].find("no form feed at the end, 6 dots next to another"), std::string::npos);

  EXPECT_EQ(Interpret("0C 1B 40 0D 1B 4A 05").run.trailingCommands, 2);
}

TEST(EscpInterpreter, RefusesWhatWouldGrowBeyondItsBounds) {
  preview::Limits unlimited, fewPages, fewCharacters;
  fewPages.maxPages = 2;
  fewCharacters.maxPageCharacters = 2;
  const std::tuple<std::string, preview::Limits, Resolution, const char*> cases[] = {
      {"1B 24 FF FF" + std::string(kTopDot), unlimited, {360, 360}, "beyond the page limit"},
      {"0C 0C 0C", fewPages, {360, 360}, "more than 2 pages"},
      {"41 0A 41 41", fewCharacters, {360, 360}, "more than 2 characters on a page"},
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
