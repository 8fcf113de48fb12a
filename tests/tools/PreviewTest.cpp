// The preview's edges: the command line, PNG files, and sessions that read
// raster files and compare the printed pages with them.
#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/tools/RoundTrip.h"
#include "tools/mkraster/RasterWriter.h"
#include "tools/preview/PngWriter.h"
#include "tools/preview/PreviewOptions.h"
#include "tools/preview/TextCompare.h"

namespace marvik::test {
namespace {

struct ScratchDir {
  std::string path;
  ScratchDir() {
    char name[] = "/tmp/escp-preview-test.XXXXXX";
    if (mkdtemp(name) != nullptr) path = name;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  std::string File(const std::string& name) const { return path + "/" + name; }
};

// Pixels of a PNG file in `format` (PNG_FORMAT_GRAY or _RGB); empty when unreadable.
std::vector<uint8_t> ReadPng(const std::string& path, uint32_t format, uint32_t* width, uint32_t* height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = format;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  *width = image.width;
  *height = image.height;
  return pixels;
}

TEST(PreviewCommandLine, OptionsAndTheirRefusals) {
  struct Case {
    std::vector<std::string> args;
    const char* prefix;  // none: refused
    int32_t x = 0, y = 0;
  };
  const Case cases[] = {
      {{}, "preview-page", 360, 360},
      {{"job.prn"}, "job-page", 360, 360},
      {{"dir.v1/job"}, "dir.v1/job-page", 360, 360},
      {{"-r", "180x360", "-o", "out/p", "job.prn"}, "out/p", 180, 360},
      {{"--resolution", "90", "--no-png", "-"}, "", 90, 90},
      {{"--compare", "a.ras", "-o", "cmp", "x.prn"}, "cmp", 360, 360},
      {{"--compare-text", "a.txt", "x.prn"}, "", 360, 360},
      {{"--long-lines", "fold"}, nullptr},
      {{"-r", "2000"}, nullptr},
      {{"--pins", "18"}, nullptr},
      {{"a.prn", "b.prn"}, nullptr},
  };
  for (const Case& c : cases) {
    preview::CommandLine line;
    std::string error;
    const std::string args = testing::PrintToString(c.args);
    ASSERT_EQ(preview::ParseCommandLine(c.args, &line, &error), c.prefix != nullptr) << args << error;
    if (c.prefix == nullptr) continue;
    EXPECT_EQ(line.session.pngPrefix, c.prefix) << args;
    EXPECT_EQ(line.session.resolution.x * 10000 + line.session.resolution.y, c.x * 10000 + c.y) << args;
    EXPECT_EQ(line.session.dotDiameterMm, 0.2) << args;  // a 24-pin head's dots
  }
  preview::CommandLine nine;
  std::string error;
  ASSERT_TRUE(preview::ParseCommandLine({"--pins", "9", "--lenient", "--impact", "--long-lines", "cut"},
                                        &nine, &error));
  EXPECT_TRUE(nine.session.cutLongLines);
  EXPECT_EQ(nine.interpreter.head, preview::Head::kPins9);
  EXPECT_TRUE(nine.interpreter.lenient);
  EXPECT_TRUE(nine.interpreter.impact);
  EXPECT_EQ(nine.session.dotDiameterMm, 0.3);
}

TEST(PreviewPng, RoundDotsCutAtTheEdge) {
  ScratchDir dir;
  preview::DotCanvas canvas({180, 180}, 1000, 1000, 1 << 20);
  for (auto dot : {std::make_pair(0, 0), {9, 2}, {3, 4}, {20, 1}}) canvas.Set(dot.first, dot.second);
  // As the round 0.3 mm dots of a 9-pin head, 2.1 pixels at 180 dpi: a dot
  // and its four neighbours. (20, 1) lies outside and is cut off.
  std::string error;
  ASSERT_TRUE(preview::WritePng(dir.File("round.png"), canvas, 10, 5, &error, 0.3)) << error;
  uint32_t width = 0, height = 0;
  const std::vector<uint8_t> round = ReadPng(dir.File("round.png"), PNG_FORMAT_GRAY, &width, &height);
  ASSERT_EQ(width * 100 + height, 1005u);
  for (int x = 0, y = 0, i = 0; i < static_cast<int>(round.size()); ++i, x = i % 10, y = i / 10) {
    const bool inked = canvas.Get(x, y) || canvas.Get(x - 1, y) || canvas.Get(x + 1, y) ||
                       canvas.Get(x, y - 1) || canvas.Get(x, y + 1);
    EXPECT_EQ(round[static_cast<size_t>(i)], inked ? 0 : 255) << i;
  }
}

TEST(PreviewSession, ReadsRasterFilesComparesAndDrawsEachPage) {
  // A 100 x 75 pixel checkerboard at 180 dpi, printed from its black form;
  // the white forms of the same page hold the same dots.
  ScratchDir dir;
  std::vector<uint8_t> bytes;
  std::string error;
  auto write = [&](const std::string& name, raster::Pattern pattern, unsigned space, size_t pages) {
    raster::StreamSpec request;
    request.pages.resize(pages);
    for (raster::PageSpec& layout : request.pages) {
      layout.widthPoints = 40, layout.heightPoints = 30, layout.pattern = pattern, layout.colorSpace = space;
    }
    ASSERT_TRUE(raster::BuildRasterStream(request, bytes, error)) << error;
    std::ofstream(dir.File(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  };
  write("k.ras", raster::Pattern::kChecker, CUPS_CSPACE_K, 1);
  write("w.ras", raster::Pattern::kChecker, CUPS_CSPACE_W, 1);
  write("sw.ras", raster::Pattern::kChecker, CUPS_CSPACE_SW, 1);
  write("other.ras", raster::Pattern::kStripes, CUPS_CSPACE_K, 1);
  write("twice.ras", raster::Pattern::kChecker, CUPS_CSPACE_K, 2);
  preview::RasterPages pages;
  preview::RasterPage page;
  ASSERT_TRUE(pages.Open(dir.File("k.ras"), &error));
  ASSERT_EQ(pages.Next(&page, &error), preview::RasterPages::Read::kPage);
  const Bytes stream = EncodePage(page);
  Bytes noLength = stream;
  noLength.insert(noLength.end(), {0x1B, 0x40, 0x0C});  // a second page that sets no length

  struct Case {
    const char* raster;  // none: 90 dpi pictures 8.5 in wide, as long as the page length or 11 in
    const char* says;
    bool identical;
    uint32_t width, height;  // of page 1's picture
  };
  for (const Case& c :
       {Case{"w.ras", "compare with raster page 1 (100x75 px at 180x180 dpi): 0 missing, 0 extra", true, 100,
             75},
        Case{"sw.ras", ": 0 missing, 0 extra", true, 100, 75},
        Case{"other.ras", "first differing rows: 0 (", false, 100, 75},
        Case{"twice.ras", "raster page 2 was not printed", false, 100, 75},
        Case{"",
             "page 1: 944 dots (2784 struck twice) at 90x90 dpi, bbox x 0..49, y 0..37 px (0.00..0.56 "
             "in across, 0.00..0.42 in down), page length FS C 150/360 (0.42 in)",
             true, 765, 38}}) {
    preview::SessionOptions options;
    options.resolution = {90, 90};
    options.pngPrefix = dir.File(std::string("p") + c.raster);
    if (*c.raster != '\0') options.comparePath = dir.File(c.raster);
    std::ostringstream out;
    preview::PreviewSession session(options, out);
    ASSERT_TRUE(session.Open(&error)) << error;
    const Bytes& bytes = *c.raster != '\0' ? stream : noLength;
    EXPECT_TRUE(preview::Interpret(bytes.data(), bytes.size(), {}, session).ok()) << c.raster;
    session.Finish();
    EXPECT_EQ(session.identical(), c.identical) << c.raster;
    EXPECT_NE((out.str() + session.error()).find(c.says), std::string::npos) << out.str() << session.error();
    uint32_t width = 0, height = 0;
    ReadPng(options.pngPrefix + "-1.png", PNG_FORMAT_GRAY, &width, &height);
    EXPECT_EQ(width * 1000 + height, c.width * 1000 + c.height) << c.raster;
  }
  uint32_t width = 0, height = 0;
  EXPECT_FALSE(ReadPng(dir.File("p-2.png"), PNG_FORMAT_GRAY, &width, &height).empty());
  EXPECT_EQ(height, 990u);
}

// A text job held against its text: the comparison passes exact jobs and
// finds a wrong character, a wrong place, a missing style or form feed.
TEST(PreviewTextCompare, FindsWhatDiffersFromTheText) {
  const std::string line12 = "1B 51 0A 61 62 63 64 65 66 67 68 69 6A 6B 6C";  // the printer wraps at 10
  const struct {
    const char* text;
    std::string job;
    bool cut;
    const char* finds;  // the first difference; empty for none
  } cases[] = {
      {"ab\tc\n\fd\n", "61 62 09 63 0D 0A 0C 64 0C", false, ""},
      {"a\ba_\bb\n", "1B 45 61 1B 46 1B 2D 01 62", false, ""},           // overstrikes: bold, underline
      {"_\bb\n", "62 08 5F", false, ""},                                 // overstruck on paper
      {"\u20AC\xE9\n", "1B 28 74 03 00 01 03 00 3F 82", false, ""},      // PC850 lacks the euro
      {"abcdefghijkl", line12, false, ""},                               // long lines wrap
      {"a\nb\n\n\nc\n", "61 0D 0A 62 0D 0A 0A 0C 0A 63 0C", false, ""},  // a full page goes on
      {"abcdefghijkl", line12, true, "page 1, line 2, column 1: expected nothing, printed 'k'"},
      {"abc\n", "61 62 64", false, "page 1, line 1, column 3: expected 'c', printed 'd'"},
      {"ab\n", "20 61 62", false, "page 1, line 1, column 1: expected 'a', printed nothing"},
      {"a\nb\n", "61 0D 0A 0A 62", false, "page 1, line 2, column 1: expected 'b', printed nothing"},
      {"ab\n", "61 1B 24 07 00 62", false, "page 1: 'b' printed off the grid of lines and columns"},
      {"a\bab\n", "61 62", false, "page 1, line 1, column 1: expected 'a' bold, printed 'a'"},
      {"a\fb\n", "61 0D 0A 62", false, "page 1, line 2, column 1: expected nothing, printed 'b'"},
      {"a\nb\n", "61", false, "text page 1, line 2: not printed: 'b'"},
      {"a\nb\nc\nd\n", "61 0D 0A 62 0C 63 0C 64 0C", false, "page 2: broke after 1 lines, the first"},
      {"a\f\fb\n", "61 0C 62 0C", false, "page 2: expected the blank page 2 of the text"},
  };
  for (const auto& c : cases) {
    preview::TextComparison compare(
        preview::LayOutText(preview::DecodeText(reinterpret_cast<const uint8_t*>(c.text), strlen(c.text))),
        c.cut);
    const Outcome out(Hex(c.job), {});
    for (size_t i = 0; i < out.characters.size(); ++i)
      compare.AddPage(static_cast<int32_t>(i + 1), out.characters[i]);
    compare.Finish();
    const std::string found = compare.described().empty() ? "" : compare.described()[0];
    EXPECT_EQ(found.substr(0, std::strlen(c.finds)), c.finds) << c.text;
    EXPECT_EQ(compare.differences() == 0, *c.finds == '\0') << c.text << ": " << found;
  }
  // The font the preview draws with: its glyph bits read left to right.
  const preview::GlyphFont font(preview::kUnifontPath);
  ASSERT_NE(font.Find(U'\u00F8'), nullptr) << font.problem();
  EXPECT_TRUE(font.Find(U'L')->At(1, 6) && !font.Find(U'L')->At(6, 6));
}

}  // namespace
}  // namespace marvik::test
