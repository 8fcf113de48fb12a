// The page work in-process: header checks, the page loop over memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "filter/CancelJob.h"
#include "logging/marvlog.h"
#include "page/PageHeaderCheck.h"
#include "page/PageLoop.h"
#include "page/PixelPrep.h"
#include "tests/filter/FilterTestSupport.h"

namespace marvik::test {
namespace {

using raster::Pattern;

// In-process runs log into a scratch folder, not into the real job log.
const bool kScratchLog = [] {
  static char dir[] = "/tmp/marvik-pageloop-XXXXXX";
  return marvlog::ILogManager::getRef().setLoggerPath(marvlog::MARVLOG_MAIN_LOGGER_ID, ::mkdtemp(dir));
}();

// write(2) as scripted: each call takes the next step; -1 fails with the
// step's errno, 0 accepts nothing, n > 0 at most n bytes; then all is taken.
std::vector<std::pair<long, int>> steps;
Bytes received;
ssize_t ScriptedWrite(void*, const void* data, std::size_t size) {
  const auto [step, error] = steps.empty() ? std::pair<long, int>(static_cast<long>(size), 0) : steps.front();
  if (!steps.empty()) steps.erase(steps.begin());
  errno = error;
  const std::size_t n = std::min(size, static_cast<std::size_t>(std::max(step, 0L)));
  received.insert(received.end(), static_cast<const unsigned char*>(data),
                  static_cast<const unsigned char*>(data) + n);
  return step < 0 ? -1 : static_cast<ssize_t>(n);
}

// A stream in memory handed to libcups `chunk` bytes a read; the cancel
// flag is set once the reader reaches offset `cancelAt`, as a SIGTERM then would.
struct Memory {
  const Bytes& stream;
  std::size_t chunk, cancelAt, pos;
  volatile std::sig_atomic_t canceled;
  static ssize_t Read(void* self, unsigned char* buffer, std::size_t size) {
    auto& m = *static_cast<Memory*>(self);
    const std::size_t n = std::min({size, m.chunk, m.stream.size() - m.pos});
    if (n > 0) std::memcpy(buffer, m.stream.data() + m.pos, n);
    if ((m.pos += n) >= m.cancelAt) m.canceled = 1;
    return static_cast<ssize_t>(n);
  }
};

// Status lines as the CUPS filter writes them.
struct Lines : page::PageEvents {
  std::string text;
  const volatile std::sig_atomic_t* canceled;
  void HeaderRead(int n, const cups_page_header2_t& h, bool accepted) override {
    if (accepted) text += "PAGE: " + std::to_string(n) + " " + std::to_string(h.NumCopies) + "\n";
  }
  void Error(const std::string& message) override { text += "ERROR: " + message + "\n"; }
  bool Canceled() override { return *canceled != 0; }
};

struct Loop {
  page::JobOutcome outcome;
  int status = -1;
  Bytes out;
  std::string lines;  // for CUPS
};

Loop RunLoop(const Bytes& stream, std::size_t cancelAt = SIZE_MAX, std::size_t chunk = SIZE_MAX) {
  Loop run;
  received.clear();
  Memory memory{stream, chunk, cancelAt, 0, cancelAt == 0};
  page::RasterInput input(&Memory::Read, &memory);
  Lines lines;
  lines.canceled = &memory.canceled;
  page::PrinterOutput out(ScriptedWrite, nullptr);
  run.outcome = page::RunPageLoop(input, out, lines);
  run.status = page::FinishJob(run.outcome, out, lines);
  run.lines = lines.text;
  run.out = received;
  steps.clear();
  return run;
}

TEST(PageLoop, PrintsEveryPageAtEachResolution) {
  const struct {
    unsigned xdpi, ydpi, pages;
    int version;
    std::size_t chunk;
  } cases[] = {
      {120, 180, 1, 3, SIZE_MAX}, {180, 180, 3, 2, 1}, {360, 180, 1, 2, 7}, {180, 360, 2, 3, SIZE_MAX}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.xdpi << "x" << c.ydpi << ", chunk " << c.chunk);
    std::vector<PageSpec> pages;
    for (unsigned i = 0; i < c.pages; ++i) {
      pages.push_back(
          Page(101 + 30 * i, 130 - 20 * i, i % 2 ? Pattern::kChecker : Pattern::kStripes, c.xdpi, c.ydpi));
      pages.back().numCopies = 2;
    }
    const Loop run = RunLoop(Stream(pages, 0, c.version), SIZE_MAX, c.chunk);
    EXPECT_TRUE(PrintsPages(run.out, pages));
    EXPECT_EQ(run.lines, std::string("PAGE: 1 2\nPAGE: 2 2\nPAGE: 3 2\n", 10 * c.pages));
    EXPECT_EQ(run.status, 0);
  }
}

TEST(PageLoop, WhiteAndGrayPagesPrintAsTheirBlackTwin) {
  for (Pattern pattern : {Pattern::kChecker, Pattern::kStripes}) {
    const PageSpec black = Page(101, 60, pattern);  // 252 pixels: the last byte is half used
    const Bytes want = RunLoop(Stream({black})).out;
    ASSERT_TRUE(PrintsPages(want, {black}));
    const unsigned W = CUPS_CSPACE_W, SW = CUPS_CSPACE_SW, K = CUPS_CSPACE_K;
    const unsigned RGB = CUPS_CSPACE_RGB, SRGB = CUPS_CSPACE_SRGB;  // 24 bits a pixel
    for (auto [bits, space] : std::vector<std::pair<unsigned, unsigned>>{
             {1, W}, {1, SW}, {8, W}, {8, SW}, {8, K}, {8, RGB}, {8, SRGB}}) {
      SCOPED_TRACE(std::to_string(bits) + "-bit colour space " + std::to_string(space));
      PageSpec page = black;
      page.bitsPerColor = bits;
      page.colorSpace = space;
      EXPECT_EQ(RunLoop(Stream({page})).out, want);  // pure black and white: halftoning keeps every dot
    }
  }
  // The encoder is handed white past the width, spare bytes included.
  Bytes row = Hex("0F 00 AA");
  page::InvertDots(row.data(), 3, 12, 1);
  EXPECT_EQ(row, Hex("F0 F0 00"));
}

TEST(PageLoop, RefusesHeadersTheEncoderCannotPrint) {
  const struct {
    const char* overrides;  // of Letter at 180 dpi: 1530 pixels, 192 bytes a line
    const char* problem;    // nullptr: accepted
  } cases[] = {
      {"cupsBitsPerColor=4 cupsBitsPerPixel=4", "cupsBitsPerColor = 4 is not supported"},
      {"cupsColorSpace=1", "cupsColorSpace = 1 is not supported"},
      {"cupsColorSpace=19 cupsBitsPerColor=8 cupsBitsPerPixel=8",
       "cupsBitsPerPixel = 8 does not match three"},
      {"cupsColorSpace=1 cupsBitsPerColor=8 cupsBitsPerPixel=24 cupsColorOrder=1", "cupsColorOrder = 1"},
      {"cupsColorSpace=1 cupsBitsPerColor=8 cupsBitsPerPixel=24 cupsWidth=64", nullptr},
      {"cupsColorSpace=1 cupsBitsPerColor=8 cupsBitsPerPixel=24 cupsWidth=65",
       "cupsWidth = 65 exceeds the 64"},
      {"cupsWidth=1536", nullptr},
      {"cupsWidth=1537", "cupsWidth = 1537 exceeds the 1536 pixels"},
      {"cupsWidth=65535 cupsBytesPerLine=8192", nullptr},
      {"cupsWidth=65536 cupsBytesPerLine=8192", "cupsWidth = 65536 exceeds the columns"},
      {"cupsBytesPerLine=1048576 cupsHeight=2", nullptr},
      {"cupsBytesPerLine=1048577 cupsHeight=2", "cupsBytesPerLine = 1048577 exceeds"},
      {"cupsBytesPerLine=65536 cupsHeight=4096", nullptr},  // 256 MiB
      {"cupsBytesPerLine=65536 cupsHeight=4097", "65536 x 4097 = 268500992 exceeds the 268435456-byte"},
      {"cupsBytesPerLine=65536 cupsHeight=65537", "65536 x 65537 = 4295032832 exceeds"},
      {"cupsWidth=64 cupsBytesPerLine=8 cupsHeight=16777217",
       "cupsHeight = 16777217 exceeds the encoder's row"},
      {"HWResolution[0]=360 HWResolution[1]=360", nullptr},
      {"HWResolution[0]=360 HWResolution[1]=120", "HWResolution = [ 360 120 ] is not supported"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.overrides);
    const PageSpec page = Page(612, 792, Pattern::kStripes, 180, 180, c.overrides);
    cups_page_header2_t h = raster::LayoutHeader(page);
    for (const auto& [field, value] : page.overrides) ASSERT_TRUE(raster::ApplyOverride(h, field, value));
    const page::HeaderVerdict verdict = page::CheckPageHeader(h);
    EXPECT_EQ(verdict.ok, c.problem == nullptr) << verdict.problem;
    EXPECT_TRUE(c.problem ? verdict.problem.find(c.problem) != std::string::npos
                          : verdict.pageBytes == h.cupsBytesPerLine * h.cupsHeight)
        << verdict.problem;
  }
}

TEST(PageLoop, ABrokenPageEndsTheJobAfterTheEarlierOnes) {
  const PageSpec good = Page(101, 60);
  const Bytes first = RunLoop(Stream({good})).out;
  const char* const libcups = "ERROR: Page 2 refused: the CUPS raster library rejects its header";
  const char* const inHeader =
      "ERROR: The raster data ended inside the header of page 2; the page was not printed\n";
  // Cut `intoHeader` bytes after page 1 (the rest of the stream goes), or
  // 10 bytes before the end when `intoHeader` is 0.
  const struct {
    const char* overrides;  // of page 2 of 3; a refused page must not pass for the end
    long long intoHeader;
    const char* error;
  } cases[] = {
      {"cupsWidth=0", 0, "ERROR: Page 2 refused: cupsWidth = 0"},
      {"cupsHeight=0", 0, libcups},  // libcups answers "no header" as at the end
      {"cupsBytesPerLine=0", 0, libcups},
      {"cupsBitsPerPixel=248", 0, libcups},
      {nullptr, 0, "PAGE: 2 1\nERROR: The raster data ended inside page 2; the page was not printed\n"},
      {nullptr, 1, inHeader},
      {nullptr, 1795, inHeader},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const long long one = static_cast<long long>(Stream({good}).size());
    const long long two = static_cast<long long>(Stream({good, good}).size());
    const Loop run =
        RunLoop(c.overrides    ? Stream({good, Page(101, 60, Pattern::kStripes, 180, 180, c.overrides), good})
                : c.intoHeader ? Stream({good, good}, two - one - c.intoHeader)
                               : Stream({good, good}, 10));
    EXPECT_EQ(run.out, first);
    EXPECT_EQ(run.outcome.pagesWritten, 1);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.lines.rfind(std::string("PAGE: 1 1\n") + c.error, 0), 0u) << run.lines;
  }
}

TEST(PageLoop, ACancelledJobStopsAfterThePageInHandWithoutAnError) {
  const PageSpec page = Page(101, 60);
  const Bytes two = Stream({page, page}), cut = Stream({page, page}, 10);
  const struct {
    const char* name;
    const Bytes& stream;
    std::size_t cancelAt;
    int read, written, status;
  } cases[] = {
      {"before the first header", two, 0, 0, 0, 1},
      {"while page 1 is read", two, two.size() / 4, 1, 1, 0},
      {"and the input ends inside page 2", cut, cut.size(), 2, 1, 0},  // the upstream filter stopped too
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Loop run = RunLoop(c.stream, c.cancelAt, 64);
    EXPECT_TRUE(c.written ? PrintsPages(run.out, {page}) : run.out.empty());
    EXPECT_EQ(run.outcome.pagesWritten, c.written);
    EXPECT_EQ(run.lines, std::string("PAGE: 1 1\nPAGE: 2 1\n", 10 * c.read));
    EXPECT_EQ(run.status, c.status);
  }
  // What sets the flag is the handler the filter installs.
  filter::InstallSignalHandlers();
  EXPECT_EQ(static_cast<int>(Canceled), 0);
  std::raise(SIGTERM);
  EXPECT_EQ(static_cast<int>(Canceled), 1);
  std::signal(SIGTERM, SIG_DFL);
}

TEST(PageLoop, OutputThatFailsFailsTheJob) {
  // A page body larger than the output buffer goes out at once; a small job
  // only at its end, and a failure then fails the job too.
  const PageSpec small = Page(101, 60), tall = Page(101, 2000, Pattern::kBlack);
  const struct {
    std::vector<std::pair<long, int>> steps;
    PageSpec page;
    const char* error;  // nullptr: printed
  } cases[] = {
      {{{1, 0}, {-1, EINTR}, {7, 0}, {0, EAGAIN}},
       tall,
       "ERROR: Could not send page 1 to the printer: the output accepted no bytes\n"},
      {{{1, 0}, {-1, EINTR}, {7, 0}, {3, 0}}, tall, nullptr},
      {{{1, 0}, {-1, EINTR}, {7, 0}, {3, 0}}, small, nullptr},
      {{{-1, EPIPE}}, tall, "ERROR: Could not send page 1 to the printer: Broken pipe\n"},
      {{{100, 0}, {-1, ENOSPC}},
       tall,
       "ERROR: Could not send page 1 to the printer: No space left on device\n"},
      {{{-1, EPIPE}}, small, "ERROR: Could not send the job to the printer: Broken pipe\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error ? c.error : "printed");
    steps = c.steps;
    const Loop run = RunLoop(Stream({c.page, c.page}));
    EXPECT_EQ(run.status, c.error ? 1 : 0);
    const std::size_t error = run.lines.find("ERROR");
    EXPECT_TRUE(c.error ? run.lines.find(c.error) == error && error == run.lines.rfind("ERROR")
                        : error == std::string::npos)
        << run.lines;
    EXPECT_TRUE(c.error || PrintsPages(run.out, {c.page, c.page}));
  }
}

}  // namespace
}  // namespace marvik::test
