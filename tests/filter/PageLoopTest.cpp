// The page work in-process: header checks, pixel preparation, the checked
// output writer, the log-file reset and the page loop over streams in memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "FilterTestSupport.h"
#include "filter/LogFileReset.h"
#include "filter/PageDiagnostics.h"
#include "filter/PageHeaderCheck.h"
#include "filter/PageLoop.h"
#include "filter/PixelPrep.h"
#include "filter/PrinterOutput.h"
#include "logging/marvlog.h"

using filtertest::Bytes;
using filtertest::Concat;
using filtertest::Hex;

using namespace marvik::filter;

namespace {

// In-process runs log into a scratch folder, not into the real job log.
class ScratchLog : public ::testing::Environment {
 public:
  void SetUp() override {
    char dir[] = "/tmp/filtertest-log-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    marvlog::ILogManager::getRef().setLoggerPath(marvlog::MARVLOG_MAIN_LOGGER_ID, dir);
    marvlog::ILogManager::getRef().setLoggerName(marvlog::MARVLOG_MAIN_LOGGER_ID, "pageloop");
  }
};
const auto* const kScratchLog = ::testing::AddGlobalTestEnvironment(new ScratchLog);

marvik::raster::PageSpec SmallPage() {
  marvik::raster::PageSpec page;
  page.widthPoints = 101;  // 252 pixels at 180 dpi: the last byte is half used
  page.heightPoints = 60;
  page.pattern = marvik::raster::Pattern::kChecker;
  return page;
}

// ---------------------------------------------------------------- header checks

struct HeaderCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> overrides;
  unsigned bits;
  unsigned space;
  const char* problem;  // nullptr: accepted
  PixelFormat format;
};

TEST(PageHeaderCheck, AcceptsPrintableHeadersAndNamesTheFieldOfOthers) {
  const HeaderCase cases[] = {
      {"1-bit K", {}, 1, CUPS_CSPACE_K, nullptr, PixelFormat::kDots},
      {"1-bit W", {}, 1, CUPS_CSPACE_W, nullptr, PixelFormat::kInvertedDots},
      {"1-bit SW", {}, 1, CUPS_CSPACE_SW, nullptr, PixelFormat::kInvertedDots},
      {"8-bit W", {}, 8, CUPS_CSPACE_W, nullptr, PixelFormat::kGrayWhiteHigh},
      {"8-bit SW", {}, 8, CUPS_CSPACE_SW, nullptr, PixelFormat::kGrayWhiteHigh},
      {"8-bit K", {}, 8, CUPS_CSPACE_K, nullptr, PixelFormat::kGrayBlackHigh},
      {"4-bit K", {}, 4, CUPS_CSPACE_K, "cupsBitsPerColor = 4", PixelFormat::kDots},
      {"8-bit RGB", {}, 8, CUPS_CSPACE_RGB, "cupsColorSpace = 1", PixelFormat::kDots},
      {"1-bit CMYK", {}, 1, CUPS_CSPACE_CMYK, "cupsColorSpace = 6", PixelFormat::kDots},
      {"3 channels",
       {{"cupsBitsPerPixel", "24"}},
       8,
       CUPS_CSPACE_K,
       "cupsBitsPerPixel = 24",
       PixelFormat::kDots},
      {"zero width", {{"cupsWidth", "0"}}, 1, CUPS_CSPACE_K, "cupsWidth = 0", PixelFormat::kDots},
      {"zero height", {{"cupsHeight", "0"}}, 1, CUPS_CSPACE_K, "cupsHeight = 0", PixelFormat::kDots},
      {"zero line",
       {{"cupsBytesPerLine", "0"}},
       1,
       CUPS_CSPACE_K,
       "cupsBytesPerLine = 0",
       PixelFormat::kDots},
      {"width past line", {{"cupsWidth", "1537"}}, 1, CUPS_CSPACE_K, "cupsWidth = 1537", PixelFormat::kDots},
      {"width fills line", {{"cupsWidth", "1536"}}, 1, CUPS_CSPACE_K, nullptr, PixelFormat::kDots},
      {"wider than one bit image",
       {{"cupsWidth", "65536"}, {"cupsBytesPerLine", "8192"}},
       1,
       CUPS_CSPACE_K,
       "cupsWidth = 65536",
       PixelFormat::kDots},
      {"line past the encoder's limit",
       {{"cupsBytesPerLine", "1048577"}, {"cupsHeight", "2"}},
       1,
       CUPS_CSPACE_K,
       "cupsBytesPerLine = 1048577",
       PixelFormat::kDots},
      {"8-bit width past line",
       {{"cupsWidth", "1531"}},
       8,
       CUPS_CSPACE_K,
       "cupsWidth = 1531",
       PixelFormat::kDots},
      {"size wraps 32 bits",
       {{"cupsBytesPerLine", "65536"}, {"cupsHeight", "65537"}},
       1,
       CUPS_CSPACE_K,
       "cupsBytesPerLine x cupsHeight = 65536 x 65537",
       PixelFormat::kDots},
      {"size past limit",
       {{"cupsHeight", "2000000"}},
       1,
       CUPS_CSPACE_K,
       "192 x 2000000 = 384000000",
       PixelFormat::kDots},
      {"120x180", {{"HWResolution[0]", "120"}}, 1, CUPS_CSPACE_K, nullptr, PixelFormat::kDots},
      {"180x360", {{"HWResolution[1]", "360"}}, 1, CUPS_CSPACE_K, nullptr, PixelFormat::kDots},
      {"300x300",
       {{"HWResolution[0]", "300"}, {"HWResolution[1]", "300"}},
       1,
       CUPS_CSPACE_K,
       "HWResolution = [ 300 300 ]",
       PixelFormat::kDots},
      {"360x120",
       {{"HWResolution[0]", "360"}, {"HWResolution[1]", "120"}},
       1,
       CUPS_CSPACE_K,
       "HWResolution = [ 360 120 ]",
       PixelFormat::kDots},
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.name);
    marvik::raster::PageSpec page;  // Letter at 180 dpi: 1530 pixels, 192 bytes a 1-bit line
    page.bitsPerColor = c.bits;
    page.colorSpace = c.space;
    cups_page_header2_t h = marvik::raster::LayoutHeader(page);
    for (const auto& kv : c.overrides) ASSERT_TRUE(marvik::raster::ApplyOverride(h, kv.first, kv.second));
    const HeaderVerdict verdict = CheckPageHeader(h);
    if (c.problem == nullptr) {
      EXPECT_TRUE(verdict.ok) << verdict.problem;
      EXPECT_EQ(verdict.format, c.format);
      EXPECT_EQ(verdict.pageBytes, static_cast<std::uint64_t>(h.cupsBytesPerLine) * h.cupsHeight);
    } else {
      EXPECT_FALSE(verdict.ok);
      EXPECT_NE(verdict.problem.find(c.problem), std::string::npos) << verdict.problem;
    }
  }
}

// ---------------------------------------------------------------- pixel preparation

TEST(PixelPrep, InvertDotsFlipsUsedBitsAndClearsPadding) {
  const struct {
    std::uint32_t width, bytesPerLine;
    const char* in;
    const char* out;
  } cases[] = {
      {16, 2, "FF 00", "00 FF"},
      {12, 2, "00 00", "FF F0"},        // four padding bits stay white
      {12, 3, "0F 0F AA", "F0 F0 00"},  // a spare byte stays white
      {1, 1, "7F", "80"},
      {9, 2, "FF 7F", "00 80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    Bytes row = Hex(c.in);
    Bytes twoRows = Concat({row, row});
    InvertDots(twoRows.data(), c.bytesPerLine, c.width, 2);
    EXPECT_EQ(filtertest::ToHex(twoRows), filtertest::ToHex(Concat({Hex(c.out), Hex(c.out)})));
  }
}

TEST(PixelPrep, FlipGrayTurnsInkIntoGray) {
  Bytes gray = Hex("00 01 80 FE FF");
  FlipGray(gray.data(), gray.size());
  EXPECT_EQ(gray, Hex("FF FE 7F 01 00"));
}

TEST(PageDiagnostics, PageSizeNameIsBoundedByItsField) {
  marvik::raster::PageSpec page;
  cups_page_header2_t h = marvik::raster::LayoutHeader(page);
  EXPECT_EQ(BoundedPageSizeName(h), "Letter");
  ASSERT_TRUE(marvik::raster::ApplyOverride(h, "cupsPageSizeName", "@unterminated"));
  h.cupsRowCount = 0x41414141;  // the bytes after the field must not be read
  EXPECT_EQ(BoundedPageSizeName(h), std::string(64, 'X'));
}

// ---------------------------------------------------------------- checked output

// A scripted write(2): each call takes the next step; -1 steps fail with the
// given errno, 0 steps accept nothing, positive steps accept at most that many.
struct ScriptedWriter {
  static std::vector<std::pair<long, int>> steps;
  static Bytes received;
  static ssize_t Write(int, const void* data, std::size_t size) {
    long step = static_cast<long>(size);
    int error = 0;
    if (!steps.empty()) {
      step = steps.front().first;
      error = steps.front().second;
      steps.erase(steps.begin());
    }
    if (step < 0) {
      errno = error;
      return -1;
    }
    const std::size_t n = std::min<std::size_t>(size, static_cast<std::size_t>(step));
    const auto* p = static_cast<const unsigned char*>(data);
    received.insert(received.end(), p, p + n);
    return static_cast<ssize_t>(n);
  }
};
std::vector<std::pair<long, int>> ScriptedWriter::steps;
Bytes ScriptedWriter::received;

TEST(PrinterOutput, DeliversEveryByteOrReportsTheFailure) {
  const Bytes big(PrinterOutput::kBufferSize + 10, 0x55);
  const struct {
    const char* name;
    std::vector<std::pair<long, int>> steps;
    bool ok;
    int error;
  } cases[] = {
      {"all accepted", {}, true, 0},
      {"short writes", {{1, 0}, {7, 0}, {3, 0}}, true, 0},
      {"interrupted then accepted", {{-1, EINTR}}, true, 0},
      {"reader gone", {{-1, EPIPE}}, false, EPIPE},
      {"disk full after a part", {{100, 0}, {-1, ENOSPC}}, false, ENOSPC},
      {"no progress", {{0, 0}}, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedWriter::steps = c.steps;
    ScriptedWriter::received.clear();
    PrinterOutput out(1, &ScriptedWriter::Write);
    const Bytes head = Hex("1B 40 0D");
    const bool wrote = out.Write(head) && out.Write(big) && out.Write(Hex("0C 1B 40"));
    const bool flushed = wrote && out.Flush();
    EXPECT_EQ(flushed, c.ok);
    EXPECT_EQ(out.Failed(), !c.ok);
    EXPECT_EQ(out.Error(), c.error);
    if (c.ok) {
      EXPECT_EQ(ScriptedWriter::received, Concat({head, big, Hex("0C 1B 40")}));
      EXPECT_EQ(out.BytesWritten(), ScriptedWriter::received.size());
    } else {
      EXPECT_FALSE(out.Write(head)) << "a failed output stays failed";
    }
  }
  ScriptedWriter::steps.clear();
}

TEST(PrinterOutput, SmallWritesWaitForFlushOrDestruction) {
  ScriptedWriter::steps.clear();
  ScriptedWriter::received.clear();
  {
    PrinterOutput out(1, &ScriptedWriter::Write);
    ASSERT_TRUE(out.Write(Hex("1B 40")));
    EXPECT_TRUE(ScriptedWriter::received.empty());
  }
  EXPECT_EQ(ScriptedWriter::received, Hex("1B 40"));
}

// ---------------------------------------------------------------- log file reset

TEST(EmptyLogFile, TruncatesOnlyARegularFileAndNeverFollowsALink) {
  char dir[] = "/tmp/filtertest-reset-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string base = dir;
  const std::string target = base + "/victim", link = base + "/link.log", fifo = base + "/fifo.log",
                    regular = base + "/regular.log", fresh = base + "/fresh.log", sub = base + "/dir.log";
  std::ofstream(target) << "precious";
  std::ofstream(regular) << "old job";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
  const mode_t mask = umask(022);

  const struct {
    std::string path;
    bool emptied;
  } cases[] = {{regular, true}, {fresh, true}, {link, false}, {fifo, false}, {sub, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(EmptyLogFile(c.path.c_str()), c.emptied);  // a FIFO must not block here
  }
  umask(mask);
  struct stat st {};
  ASSERT_EQ(stat(regular.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 0);
  ASSERT_EQ(stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  std::string content;
  std::ifstream(target) >> content;
  EXPECT_EQ(content, "precious");
  for (const std::string& p : {target, link, fifo, regular, fresh}) unlink(p.c_str());
  rmdir(sub.c_str());
  rmdir(dir);
}

// ---------------------------------------------------------------- the page loop

struct LoopRun {
  JobOutcome outcome;
  Bytes out;
  std::string status;
};

LoopRun RunLoop(const Bytes& stream, volatile std::sig_atomic_t* canceled, bool cancelAtEnd = false,
                WriteFunction writer = nullptr) {
  LoopRun run;
  char* text = nullptr;
  std::size_t length = 0;
  std::FILE* status = open_memstream(&text, &length);
  char path[] = "/tmp/filtertest-out-XXXXXX";
  const int fd = mkstemp(path);
  {
    filtertest::MemoryRaster raster(stream, cancelAtEnd ? canceled : nullptr);
    PrinterOutput out(fd, writer);
    run.outcome = RunPageLoop(raster.get(), out, status, canceled);
    out.Flush();
  }
  std::fclose(status);
  run.status.assign(text, length);
  std::free(text);
  std::ifstream in(path, std::ios::binary);
  run.out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  close(fd);
  unlink(path);
  return run;
}

const Bytes kLetterStart = Hex("1B 40 1B 32 1B 43 42 0D");  // ESC @, ESC 2, ESC C 66 lines, CR
const Bytes kFrameEnd = Hex("0C 1B 40");                    // FF, ESC @

TEST(RunPageLoop, WritesOneWholeFramePerPage) {
  for (int pages : {1, 2, 3}) {
    for (int version : {2, 3}) {
      SCOPED_TRACE("pages " + std::to_string(pages) + ", version " + std::to_string(version));
      marvik::raster::PageSpec page;
      page.heightPoints = 792;
      page.widthPoints = 200;
      page.numCopies = 2;
      volatile std::sig_atomic_t canceled = 0;
      const LoopRun run = RunLoop(filtertest::MakeStream(page, pages, version), &canceled);
      const Bytes frame = Concat({kLetterStart, filtertest::ExpectedBody(page), kFrameEnd});
      Bytes expected;
      std::string lines;
      for (int i = 1; i <= pages; ++i) {
        expected = Concat({expected, frame});
        lines += "PAGE: " + std::to_string(i) + " 2\n";
      }
      EXPECT_EQ(run.out, expected);
      EXPECT_EQ(run.status, lines);
      EXPECT_EQ(run.outcome.pagesWritten, pages);
      EXPECT_EQ(run.outcome.Status(), 0);
    }
  }
}

TEST(RunPageLoop, ChoosesThePageLengthCommandByLength) {
  const struct {
    unsigned points;
    const char* start;
  } cases[] = {
      {792, "1B 40 1B 32 1B 43 42 0D"},   // Letter: 66 lines
      {842, "1B 40 1B 32 1B 43 46 0D"},   // A4: 70 lines
      {595, "1B 40 1B 32 1B 43 32 0D"},   // A5: 50 lines
      {1008, "1B 40 1B 32 1B 43 54 0D"},  // Legal: 84 lines
      {864, "1B 40 1C 43 E0 10 0D"},      // German fanfold 12 in: 4320/360 in
      {800, "1B 40 1C 43 A0 0F 0D"},      // unlisted: 4000/360 in
      {5, "1B 40 0D"},                    // rounds to no line: no page length
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.points);
    marvik::raster::PageSpec page = SmallPage();
    page.heightPoints = c.points;
    volatile std::sig_atomic_t canceled = 0;
    const LoopRun run = RunLoop(filtertest::MakeStream(page), &canceled);
    EXPECT_EQ(filtertest::ToHex(run.out, 200),
              filtertest::ToHex(Concat({Hex(c.start), filtertest::ExpectedBody(page), kFrameEnd}), 200));
  }
}

TEST(RunPageLoop, WhiteAndGrayPagesPrintTheSameDotsAsBlackOnes) {
  const struct {
    unsigned bits, space;
  } cases[] = {
      {1, CUPS_CSPACE_W}, {1, CUPS_CSPACE_SW}, {8, CUPS_CSPACE_W}, {8, CUPS_CSPACE_SW}, {8, CUPS_CSPACE_K}};
  for (marvik::raster::Pattern pattern :
       {marvik::raster::Pattern::kChecker, marvik::raster::Pattern::kStripes}) {
    marvik::raster::PageSpec page = SmallPage();
    page.pattern = pattern;
    volatile std::sig_atomic_t canceled = 0;
    const LoopRun black = RunLoop(filtertest::MakeStream(page), &canceled);
    ASSERT_EQ(black.outcome.Status(), 0);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::to_string(c.bits) + "-bit colour space " + std::to_string(c.space));
      page.bitsPerColor = c.bits;
      page.colorSpace = c.space;
      const LoopRun run = RunLoop(filtertest::MakeStream(page), &canceled);
      EXPECT_EQ(run.outcome.Status(), 0);
      EXPECT_EQ(run.out, black.out);  // only pure black and white here, so halftoning keeps every dot
    }
  }
}

TEST(RunPageLoop, HalftonesMidGray) {
  marvik::raster::PageSpec page = SmallPage();
  page.bitsPerColor = 8;
  page.colorSpace = CUPS_CSPACE_W;
  page.pattern = marvik::raster::Pattern::kGradient;
  volatile std::sig_atomic_t canceled = 0;
  const LoopRun run = RunLoop(filtertest::MakeStream(page), &canceled);
  std::vector<Bytes> frames;
  ASSERT_TRUE(filtertest::ParseFrames(run.out, 3, frames));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_NE(run.out, RunLoop(filtertest::MakeStream(SmallPage()), &canceled).out);
}

// A stream of a good page followed by one built from `second`.
Bytes GoodThenBad(const marvik::raster::PageSpec& second, long long cutBytes = 0) {
  marvik::raster::StreamSpec request;
  request.rawHeader = true;
  request.pages = {SmallPage(), second};
  if (cutBytes == 0) request.pages.push_back(SmallPage());  // a refused page must not pass for the end
  request.cutBytes = cutBytes;
  Bytes out;
  std::string error;
  EXPECT_TRUE(marvik::raster::BuildRasterStream(request, out, error)) << error;
  return out;
}

TEST(RunPageLoop, StopsAtABrokenPageKeepingEarlierOnes) {
  marvik::raster::PageSpec zeroWidth = SmallPage();
  zeroWidth.overrides = {{"cupsWidth", "0"}};
  marvik::raster::PageSpec badResolution = SmallPage();
  badResolution.overrides = {{"HWResolution[0]", "240"}};
  marvik::raster::PageSpec fourBit = SmallPage();
  fourBit.overrides = {{"cupsBitsPerColor", "4"}, {"cupsBitsPerPixel", "4"}};
  // Headers libcups itself refuses: it answers "no header" as at the end.
  marvik::raster::PageSpec zeroHeight = SmallPage(), zeroLine = SmallPage(), deepPixels = SmallPage();
  zeroHeight.overrides = {{"cupsHeight", "0"}};
  zeroLine.overrides = {{"cupsBytesPerLine", "0"}};
  deepPixels.overrides = {{"cupsBitsPerPixel", "248"}};
  const char* const libcupsRefusal = "ERROR: Page 2 refused: the CUPS raster library rejects its header";
  const Bytes firstFrame =
      Concat({Hex("1B 40 1C 43 2C 01 0D"), filtertest::ExpectedBody(SmallPage()), kFrameEnd});
  const struct {
    const char* name;
    Bytes stream;
    const char* error;
    int pagesRead;
  } cases[] = {
      {"zero width", GoodThenBad(zeroWidth), "ERROR: Page 2 refused: cupsWidth = 0", 1},
      {"bad resolution", GoodThenBad(badResolution), "ERROR: Page 2 refused: HWResolution = [ 240 180 ]", 1},
      {"4-bit page", GoodThenBad(fourBit), "ERROR: Page 2 refused: cupsBitsPerColor = 4", 1},
      {"zero height", GoodThenBad(zeroHeight), libcupsRefusal, 1},
      {"zero line length", GoodThenBad(zeroLine), libcupsRefusal, 1},
      {"248 bits per pixel", GoodThenBad(deepPixels), libcupsRefusal, 1},
      {"ends inside page 2", GoodThenBad(SmallPage(), 10), "ERROR: The raster data ended inside page 2", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    volatile std::sig_atomic_t canceled = 0;
    const LoopRun run = RunLoop(c.stream, &canceled);
    EXPECT_EQ(run.out, firstFrame);
    EXPECT_EQ(run.outcome.pagesRead, c.pagesRead);
    EXPECT_EQ(run.outcome.pagesWritten, 1);
    EXPECT_EQ(run.outcome.Status(), 1);
    EXPECT_NE(run.status.find(c.error), std::string::npos) << run.status;
    EXPECT_EQ(run.status.rfind("PAGE: 1 1\n", 0), 0u) << run.status;
  }
}

TEST(RunPageLoop, CancellationEndsTheJobWithoutAnError) {
  volatile std::sig_atomic_t canceled = 1;  // before the first header
  LoopRun run = RunLoop(filtertest::MakeStream(SmallPage(), 2), &canceled);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(run.status, "");
  EXPECT_EQ(run.outcome.Status(), 1);

  canceled = 0;  // the upstream filter stops inside page 2 because the job is cancelled
  run = RunLoop(GoodThenBad(SmallPage(), 10), &canceled, /*cancelAtEnd=*/true);
  EXPECT_EQ(run.outcome.pagesWritten, 1);
  EXPECT_FALSE(run.outcome.failed);
  EXPECT_EQ(run.status.find("ERROR"), std::string::npos) << run.status;
  EXPECT_EQ(run.outcome.Status(), 0);
}

TEST(RunPageLoop, AnEmptyOrUnreadableStreamPrintsNothing) {
  for (const Bytes& stream : {Bytes{}, Hex("00 11 22 33 44 55"), Hex("33 53 61 52")}) {
    SCOPED_TRACE(filtertest::ToHex(stream));
    volatile std::sig_atomic_t canceled = 0;
    const LoopRun run = RunLoop(stream, &canceled);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.outcome.Status(), 1);
  }
}

TEST(RunPageLoop, AFailedWriteFailsTheJob) {
  ScriptedWriter::steps = {{-1, EPIPE}};
  ScriptedWriter::received.clear();
  marvik::raster::PageSpec page = SmallPage();
  page.heightPoints = 2000;  // a body larger than the output buffer goes out at once
  page.pattern = marvik::raster::Pattern::kBlack;
  volatile std::sig_atomic_t canceled = 0;
  const LoopRun run = RunLoop(filtertest::MakeStream(page, 2), &canceled, false, &ScriptedWriter::Write);
  EXPECT_EQ(run.outcome.pagesWritten, 0);
  EXPECT_EQ(run.outcome.Status(), 1);
  EXPECT_NE(run.status.find("ERROR: Could not send page 1 to the printer: Broken pipe"), std::string::npos)
      << run.status;
  ScriptedWriter::steps.clear();
}

}  // namespace
