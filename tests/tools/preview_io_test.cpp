// The preview's edges: PNG files, raster pages read back, the command line
// and a whole session writing pictures and comparing.
#include <cups/raster.h>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <string>

#include "tools/preview/PageCompare.h"
#include "tools/preview/PngWriter.h"
#include "tools/preview/PreviewOptions.h"
#include "tools/preview/PreviewSession.h"
#include "tools/preview/RasterPages.h"
#include "preview_test_support.h"
#include "raster_files.h"

namespace marvik::preview {
namespace {

using roundtrip::ScratchDir;

// Gray pixels of a PNG file, 0 black, 255 white; empty when unreadable.
std::vector<uint8_t> ReadPng(const std::string& path, uint32_t* width, uint32_t* height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_GRAY;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  *width = image.width;
  *height = image.height;
  return pixels;
}

TEST(PngWriter, DotsAreBlackOnWhiteAndCutAtTheImageEdge) {
  ScratchDir dir;
  DotCanvas canvas({180, 180}, 1000, 1000, 1 << 20);
  const std::pair<int, int> dots[] = {{0, 0}, {9, 2}, {3, 4}, {20, 1}};  // the last lies outside the image
  for (const auto& dot : dots) canvas.Set(dot.first, dot.second);
  std::string error;
  ASSERT_TRUE(WritePng(dir.File("page.png"), canvas, 10, 5, &error)) << error;
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> pixels = ReadPng(dir.File("page.png"), &width, &height);
  ASSERT_EQ(width, 10u);
  ASSERT_EQ(height, 5u);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      EXPECT_EQ(pixels[y * width + x], canvas.Get(x, y) ? 0 : 255) << x << "," << y;
    }
  }
}

TEST(PngWriter, DifferencePictureColoursEachKindOfDot) {
  ScratchDir dir;
  RasterPage raster = roundtrip::WhitePage({180, 180}, 6, 3);
  roundtrip::SetDot(raster, 0, 0);  // printed too
  roundtrip::SetDot(raster, 1, 0);  // missing
  DotCanvas printed({180, 180}, 100, 100, 1 << 20);
  printed.Set(0, 0);
  printed.Set(2, 1);  // extra
  printed.Set(7, 4);  // extra, outside the raster: the picture grows to hold it
  std::string error;
  ASSERT_TRUE(WriteDifferencePng(dir.File("diff.png"), printed, raster, &error)) << error;

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, dir.File("diff.png").c_str()));
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  ASSERT_EQ(image.width, 8u);
  ASSERT_EQ(image.height, 5u);
  auto at = [&](uint32_t x, uint32_t y) {
    const uint8_t* p = &rgb[(y * image.width + x) * 3];
    return std::vector<int>{p[0], p[1], p[2]};
  };
  EXPECT_EQ(at(0, 0), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(at(1, 0), (std::vector<int>{230, 0, 0}));
  EXPECT_EQ(at(2, 1), (std::vector<int>{0, 80, 230}));
  EXPECT_EQ(at(7, 4), (std::vector<int>{0, 80, 230}));
  EXPECT_EQ(at(3, 2), (std::vector<int>{255, 255, 255}));
}

TEST(PngWriter, FailuresAreReported) {
  DotCanvas canvas({180, 180}, 10, 10, 1 << 20);
  std::string error;
  EXPECT_FALSE(WritePng("/nonexistent-dir/page.png", canvas, 10, 10, &error));
  EXPECT_NE(error.find("/nonexistent-dir/page.png"), std::string::npos);
  EXPECT_FALSE(WritePng("/tmp/never.png", canvas, 0, 10, &error));
  EXPECT_NE(error.find("out of range"), std::string::npos);
}

TEST(RasterPagesRead, BlackPagesAsTheyAreWhitePagesInvertedOthersRefused) {
  ScratchDir dir;
  RasterPage page = roundtrip::WhitePage({360, 180}, 12, 3);
  roundtrip::SetDot(page, 11, 2);
  ASSERT_TRUE(roundtrip::WriteRasterFile(dir.File("k.ras"), {page}));
  ASSERT_TRUE(roundtrip::WriteRasterFile(dir.File("w.ras"), {page}, CUPS_CSPACE_W, 1));
  RasterPage gray = roundtrip::WhitePage({180, 180}, 8, 2);
  gray.bytesPerLine = 8;
  gray.bits.assign(16, 0x80);
  ASSERT_TRUE(roundtrip::WriteRasterFile(dir.File("gray.ras"), {gray}, CUPS_CSPACE_K, 8));

  struct Case {
    const char* file;
    RasterPages::Read read;
    int64_t dots;
    const char* says;
  };
  const Case cases[] = {
      {"k.ras", RasterPages::Read::kPage, 1, ""},
      // Every pixel but one is white paper in a white colour space... inverted,
      // every pixel but (11, 2) is a dot.
      {"w.ras", RasterPages::Read::kPage, 12 * 3 - 1, ""},
      {"gray.ras", RasterPages::Read::kError, 0, "8 bits per pixel"},
  };
  for (const Case& c : cases) {
    RasterPages pages;
    std::string error;
    ASSERT_TRUE(pages.Open(dir.File(c.file), &error)) << error;
    RasterPage read;
    ASSERT_EQ(pages.Next(&read, &error), c.read) << c.file << ": " << error;
    if (c.read == RasterPages::Read::kPage) {
      EXPECT_EQ(CountDots(read), c.dots) << c.file;
      EXPECT_EQ(read.resolution.x, 360);
      EXPECT_EQ(read.resolution.y, 180);
      EXPECT_EQ(pages.Next(&read, &error), RasterPages::Read::kEnd);
    } else {
      EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
  }
}

TEST(RasterPagesRead, MissingFilesAndCutPagesSayWhy) {
  ScratchDir dir;
  RasterPages missing;
  std::string error;
  EXPECT_FALSE(missing.Open(dir.File("none.ras"), &error));
  EXPECT_NE(error.find("none.ras"), std::string::npos);

  RasterPage page = roundtrip::WhitePage({180, 180}, 800, 400);
  for (size_t i = 0; i < page.bits.size(); ++i) page.bits[i] = static_cast<uint8_t>(i * 37 % 251);
  ASSERT_TRUE(roundtrip::WriteRasterFile(dir.File("cut.ras"), {page}, CUPS_CSPACE_K, 1));
  std::vector<uint8_t> bytes = roundtrip::ReadFileBytes(dir.File("cut.ras"));
  ASSERT_EQ(truncate(dir.File("cut.ras").c_str(), static_cast<off_t>(bytes.size() / 2)), 0);
  RasterPages cut;
  ASSERT_TRUE(cut.Open(dir.File("cut.ras"), &error));
  RasterPage read;
  EXPECT_EQ(cut.Next(&read, &error), RasterPages::Read::kError);
  EXPECT_NE(error.find("ends inside"), std::string::npos) << error;
}

TEST(CommandLineParse, OptionsAndTheirRefusals) {
  struct Case {
    std::vector<std::string> args;
    bool ok;
    const char* prefix;  // PNG prefix after parsing, when ok
    int32_t resolutionX;
    int32_t resolutionY;
  };
  const Case cases[] = {
      {{}, true, "preview-page", 360, 360},
      {{"job.prn"}, true, "job-page", 360, 360},
      {{"dir.v1/job"}, true, "dir.v1/job-page", 360, 360},
      {{"-r", "180x360", "-o", "out/p", "x.prn"}, true, "out/p", 180, 360},
      {{"--resolution", "90", "--no-png", "-"}, true, "", 90, 90},
      {{"--compare", "a.ras", "x.prn"}, true, "", 360, 360},
      {{"--compare", "a.ras", "-o", "cmp", "x.prn"}, true, "cmp", 360, 360},
      {{"-r", "2000"}, false, "", 0, 0},
      {{"-r", "180x"}, false, "", 0, 0},
      {{"-r", "-180"}, false, "", 0, 0},
      {{"--pins", "18"}, false, "", 0, 0},
      {{"--compare"}, false, "", 0, 0},
      {{"--frobnicate"}, false, "", 0, 0},
      {{"a.prn", "b.prn"}, false, "", 0, 0},
  };
  for (const Case& c : cases) {
    CommandLine line;
    std::string error;
    std::string joined;
    for (const std::string& arg : c.args) joined += arg + " ";
    ASSERT_EQ(ParseCommandLine(c.args, &line, &error), c.ok) << joined << error;
    if (!c.ok) {
      EXPECT_FALSE(error.empty()) << joined;
      continue;
    }
    EXPECT_EQ(line.session.pngPrefix, c.prefix) << joined;
    EXPECT_EQ(line.session.resolution.x, c.resolutionX) << joined;
    EXPECT_EQ(line.session.resolution.y, c.resolutionY) << joined;
  }
  CommandLine nine;
  std::string error;
  ASSERT_TRUE(ParseCommandLine({"--pins", "9", "--lenient"}, &nine, &error));
  EXPECT_EQ(nine.interpreter.head, Head::kPins9);
  EXPECT_TRUE(nine.interpreter.lenient);
}

TEST(PreviewSessionRun, WritesOnePicturePerPageAtThePaperSize) {
  ScratchDir dir;
  SessionOptions options;
  options.resolution = {90, 90};
  options.pngPrefix = dir.File("p");
  std::ostringstream out;
  PreviewSession session(options, out);
  std::string error;
  ASSERT_TRUE(session.Open(&error));
  // Page 1: 12 in long by ESC C 0 12; page 2: no length, 11 in assumed.
  std::vector<uint8_t> bytes =
      Bytes({0x1B, 0x43, 0x00, 0x0C, 0x1B, 0x2A, 0x27, 0x01, 0x00, 0x80, 0x00, 0x00, 0x0C, 0x1B, 0x40, 0x0C});
  InterpreterOptions interpreter;
  ASSERT_TRUE(Interpret(bytes.data(), bytes.size(), interpreter, session).ok());
  session.Finish();
  EXPECT_TRUE(session.error().empty()) << session.error();
  struct Expect {
    const char* file;
    uint32_t width;
    uint32_t height;
  };
  for (const Expect& e : {Expect{"p-1.png", 765, 1080}, Expect{"p-2.png", 765, 990}}) {
    uint32_t width = 0;
    uint32_t height = 0;
    EXPECT_FALSE(ReadPng(dir.File(e.file), &width, &height).empty()) << e.file;
    EXPECT_EQ(width, e.width) << e.file;
    EXPECT_EQ(height, e.height) << e.file;
  }
  EXPECT_NE(out.str().find("page 1: 1 dots at 90x90 dpi"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("page 2: 0 dots"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace marvik::preview
