// Text jobs through the text library: documents laid out as cells, and the
// printer's bytes where the bytes are the point (each option's command, the
// set-up of a form, characters a table lacks, the end of a cancelled form).
#include <gtest/gtest.h>

#include <csignal>
#include <regex>

#include "printer/DotMatrixPrinter.h"
#include "tests/printer/HexBytes.h"
#include "text/TextDecoder.h"
#include "text/TextEmitter.h"
#include "text/TextJob.h"

namespace marvik::test {
namespace {

using namespace text;
using O = TextOptions;
using T = CharacterTable;

// Forms as text: each line ends in \n, each form in \f; '*' marks the next
// character bold, '_' underlined.
std::u32string Render(const std::vector<Form>& forms) {
  std::u32string out;
  for (const Form& form : forms) {
    for (const Line& line : form.lines) {
      for (const Cell& cell : line) {
        out += std::u32string(cell.bold, U'*') + std::u32string(cell.underline, U'_') + cell.character;
      }
      out += U'\n';
    }
    out += U'\f';
  }
  return out;
}

TEST(TextPrinting, LaysOutDocumentsOnForms) {
  const struct {
    std::string in;
    std::u32string forms;  // on forms of 3 lines of 10 columns
    bool wrap = true;
  } cases[] = {
      {"ab\tc\td\n\tx", U"ab      c \n      d\n        x\n\f"},  // stops of the text's line
      {"abcdefghijKL\n", U"abcdefghij\nKL\n\f"},
      {"abcdefghijKL\tM\bN\n", U"abcdefghij\n\f", false},
      {"a\f\fb\f", U"a\n\f\fb\n\f"},  // a blank form between, none after the last feed
      {"1\n2\n3\n4", U"1\n2\n3\n\f4\n\f"},
      {"b\bb _\bu u\b_ x\by _\bb\bb", U"*b _u _u y *_b\n\f"},
      {"abcdefghij\bj", U"abcdefghi*j\n\f"},  // an overstrike at the edge stays on its line
      {"ab\r__\n", U"_a_b\n\f"},
      {"caf\xe9 \xc3\xa9 \xef\xbb\xbf", U"café é \uFEFF\n\f"},  // Latin-1, UTF-8
      {"\xef\xbb\xbf\xe2\x82x\xc3", U"â\x82xÃ\n\f"},            // broken sequences are Latin-1
      {"\r\b", U""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    // In two pieces, so that sequences are cut between calls too.
    const auto* bytes = reinterpret_cast<const unsigned char*>(c.in.data());
    TextDecoder decoder;
    std::u32string text;
    decoder.Decode(bytes, c.in.size() / 2, text);
    decoder.Decode(bytes + c.in.size() / 2, c.in.size() - c.in.size() / 2, text);
    decoder.Finish(text);
    EXPECT_EQ(Render(LayOut(text, 10, 3, c.wrap)), c.forms);
  }
}

// ESC @ and the page length of a form `points` long: the printer library's.
std::string Start(int points) {
  DotMatrixPrinter frame(PIN_TYPE_24, 180, 180);
  frame.SetPageLength(points);
  Bytes bytes;
  frame.StartDoc(bytes);
  return ToHex(bytes);
}

TEST(TextPrinting, SendsTheCommandsOfEachOption) {
  const struct {
    void (*change)(O&);
    std::string in;
    std::string out;  // a regular expression over the forms' bytes in hex, each form ended by " |"
    TextJobStatus status = TextJobStatus::kPrinted;
  } cases[] = {
      {[](O&) {}, "Hi",
       "^" + Start(792) +
           " 0D 1B 78 00 1B 52 00 1B 28 74 03 00 01 01 00 1B 74 01 1B 36 1B 4F 1B 50 "
           "1B 6C 03 1B 51 52 1B 32 1B 4A 2D 48 69 0D 0A 0C 1B 40 \\|$"},
      {[](O& o) { o.quality = PrintQuality::kLetterQuality; }, "H", "0D 1B 78 01 1B 52"},
      {[](O& o) { o.pitch = Pitch::k12Cpi; }, "H", "1B 4D 1B 6C 03 1B 51 63 1B 32"},
      {[](O& o) { o.pitch = Pitch::k15Cpi; }, "H", "1B 67 1B 6C 04 1B 51 7B 1B 32"},
      {[](O& o) { o.pitch = Pitch::k17Cpi; }, std::string(136, 'x'),
       "1B 50 1B 6C 03 1B 51 52 0F 1B 32 .* 78 0D 0A 78 0D 0A 0C"},
      {[](O& o) { o.pitch = Pitch::k20Cpi; }, "H", "1B 4D 1B 6C 03 1B 51 63 0F 1B 32"},
      {[](O&) {}, std::string(80, 'x'), "78 0D 0A 78 0D 0A 0C"},
      {[](O&) {}, std::string(61, '\n') + "x", "0C 1B 40 \\|.* 2D 78 0D 0A 0C"},
      {[](O& o) { o.spacing = LineSpacing::k8Lpi; }, std::string(82, '\n') + "x",
       Start(792) + " 0D .*1B 51 52 1B 30 1B 4A 2D .*0C 1B 40 \\|.* 2D 78 0D 0A 0C"},
      {[](O& o) { o.top = 200; }, "H", "1B 32 1B 4A FF 1B 4A F5 48"},
      {[](O& o) { o.formLength = 370; }, "H", "^" + Start(370) + " 0D 1B 78"},
      {[](O&) {}, "b\bbb b _\bu\x1b \xef\xbf\xbd b\bb   \n \b_  \n",
       "2D 1B 45 62 1B 46 62 20 62 20 1B 2D 01 75 1B 2D 00 3F 20 3F 20 1B 45 62 1B 46 0D 0A 1B 2D 01 20 1B "
       "2D 00 0D"},
      {[](O&) {}, "\xc3\xa9\xe2\x82\xac", "01 01 00 .*2D 82 3F 0D"},
      {[](O& o) { o.table = T::kPc850; }, "\xc3\x98\xe2\x82\xac", "01 03 00 .*2D 9D 3F 0D"},
      {[](O& o) { o.table = T::kPc858; }, "\xe2\x82\xac\xc4\xb1", "01 2C 00 .*2D D5 3F 0D"},
      {[](O& o) { o.table = T::kIso8859_1; }, "\xc3\xa9\xe2\x82\xac", "01 1D 10 .*2D E9 3F 0D"},
      {[](O& o) { o.table = T::kIso8859_15; }, "\xe2\x82\xac\xc2\xa4\xe2\x94\x80",
       "01 1D 0F .*2D A4 3F 3F 0D"},
      {[](O&) {}, std::string(4096, 'x') + '\0', "78 3F 0D 0A 0C"},
      {[](O&) {}, std::string(4095, 'x') + '\0', "^$", TextJobStatus::kBinary},
      {[](O&) {}, "", "^$", TextJobStatus::kEmpty},
      {[](O& o) { o.left = 306, o.right = 306; }, "H", "^$", TextJobStatus::kBadGeometry},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    TextOptions options;
    c.change(options);
    std::size_t at = 0;
    std::string out;
    const TextJobResult result = TextJob(options).Print(
        [&](unsigned char* buffer, std::size_t size) {  // a byte at a time, as a slow pipe
          if (at == c.in.size() || size == 0) return 0L;
          return *buffer = static_cast<unsigned char>(c.in[at++]), 1L;
        },
        [&](const Bytes& form) { return out += ToHex(form) + " |", true; }, nullptr);
    EXPECT_EQ(result.status, c.status);
    EXPECT_TRUE(std::regex_search(out, std::regex(c.out))) << out;
  }
}

TEST(TextPrinting, ACancelledFormEndsAfterTheCurrentLine) {
  const volatile std::sig_atomic_t canceled = 1;
  TextGeometry geometry;
  ASSERT_EQ(ComputeGeometry(TextOptions{}, geometry), GeometryResult::kOk);
  Bytes out;
  EXPECT_FALSE(TextEmitter(TextOptions{}, geometry)
                   .EmitForm(Form{{Line(1, Cell{U'a'}), Line(1, Cell{U'b'})}}, out, &canceled));
  EXPECT_TRUE(std::regex_search(ToHex(out), std::regex("1B 4A 2D 61 0D 0A 0C 1B 40$"))) << ToHex(out);
}

}  // namespace
}  // namespace marvik::test
