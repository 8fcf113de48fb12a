// The program run as CUPS runs it: arguments, PPD, exit statuses, frames on
// standard output, status lines, cancellation and the job log. All of these
// share /tmp/marvikdotmatrix.log, so CTest runs them one at a time.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "FilterProcess.h"

using filtertest::Bytes;
using filtertest::Concat;
using filtertest::FilterProcess;
using filtertest::Hex;
using filtertest::JobArgs;
using filtertest::ReadFile;
using filtertest::RunFilter;

namespace {

marvik::raster::PageSpec SmallLetterPage() {
  marvik::raster::PageSpec page;
  page.widthPoints = 150;
  page.heightPoints = 792;  // Letter length: ESC 2 ESC C 66
  page.pattern = marvik::raster::Pattern::kStripes;
  page.numCopies = 3;
  return page;
}

const Bytes kLetterStart = Hex("1B 40 1B 32 1B 43 42 0D");  // ESC @, ESC 2, ESC C 66, CR
const Bytes kFrameEnd = Hex("0C 1B 40");                    // FF, ESC @

Bytes Frames(const marvik::raster::PageSpec& page, int count) {
  const Bytes frame = Concat({kLetterStart, filtertest::ExpectedBody(page), kFrameEnd});
  Bytes all;
  for (int i = 0; i < count; ++i) all = Concat({all, frame});
  return all;
}

class ScratchDir {
 public:
  ScratchDir() {
    char dir[] = "/tmp/filtertest-bin-XXXXXX";
    path_ = mkdtemp(dir) ? dir : "/tmp";
  }
  ~ScratchDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// "DEBUG: <text> on line <n>.\n" and nothing else; `line` < 0 takes any line.
bool IsPpdFailure(const std::string& err, int line) {
  const std::size_t on = err.rfind(" on line ");
  if (err.rfind("DEBUG: ", 0) != 0 || on == std::string::npos || on <= 7 || err.size() < 3 ||
      err.compare(err.size() - 2, 2, ".\n") != 0 || err.find('\n') != err.size() - 1) {
    return false;
  }
  const std::string number = err.substr(on + 9, err.size() - 2 - (on + 9));
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
  return line < 0 || std::stoi(number) == line;
}

// "YYYY-MM-DD HH:MM:SS.mmm [tid] LOG_LEVEL message file.cpp:123" (CR LF removed).
bool IsLogLine(const std::string& text) {
  int fields[7];
  unsigned tid = 0;
  char level[16] = {};
  int prefix = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3d [%u] LOG_%15[A-Z] %n", &fields[0], &fields[1],
                  &fields[2], &fields[3], &fields[4], &fields[5], &fields[6], &tid, level, &prefix) != 9 ||
      prefix == 0 || text[4] != '-' || text[19] != '.') {
    return false;
  }
  const std::size_t space = text.rfind(' '), colon = text.rfind(':');
  return space != std::string::npos && colon != std::string::npos && space + 1 < colon &&
         static_cast<int>(space) >= prefix - 1 && colon + 1 < text.size() &&
         text.find_first_not_of("0123456789", colon + 1) == std::string::npos;
}

void PlantStaleLog() {
  unlink(filtertest::kJobLog);
  std::ofstream(filtertest::kJobLog) << "STALE line of an earlier job\r\n";
}

TEST(FilterProgram, RefusesAWrongArgumentCountSilently) {
  for (std::size_t count : {0u, 4u, 7u}) {  // 1, 5 and 8 entries with the program name
    SCOPED_TRACE(count + 1);
    PlantStaleLog();
    FilterProcess::Options options;
    std::vector<std::string> args = JobArgs();
    args.resize(count, "x");
    options.args = args;
    const auto run = RunFilter(options, filtertest::MakeStream(SmallLetterPage()));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile(filtertest::kJobLog).find("STALE"), std::string::npos) << "the log is emptied first";
  }
}

TEST(FilterProgram, StartUpFailuresExitOne) {
  ScratchDir dir;
  const struct {
    const char* name;
    std::vector<std::string> args;
    bool setPpd;
    std::string ppd;
    int ppdLine;  // -2: nothing on standard error
    double minSeconds;
  } cases[] = {
      {"missing input file", JobArgs(dir.File("absent.ras")), true, "", -2, 1.0},
      {"PPD unset", JobArgs(), false, "", -1, 0},
      {"PPD missing", JobArgs(), true, dir.File("absent.ppd"), -1, 0},
      {"PPD not a PPD", JobArgs(), true, "/etc/hostname", 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FilterProcess::Options options;
    options.args = c.args;
    options.setPpd = c.setPpd;
    options.ppd = c.ppd;
    const auto run = RunFilter(options, filtertest::MakeStream(SmallLetterPage()));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    if (c.ppdLine == -2) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_TRUE(IsPpdFailure(run.err, c.ppdLine)) << run.err;
    }
    EXPECT_GE(run.seconds, c.minSeconds);
  }
}

TEST(FilterProgram, PrintsOneFramePerPageFromStdinOrFile) {
  ScratchDir dir;
  const marvik::raster::PageSpec page = SmallLetterPage();
  for (int pages : {0, 1, 2, 3}) {
    for (bool fromFile : {false, true}) {
      SCOPED_TRACE(std::to_string(pages) + (fromFile ? " pages from a file" : " pages on stdin"));
      const Bytes stream = pages ? filtertest::MakeStream(page, pages, 2) : Bytes{};
      FilterProcess::Options options;
      options.args = JobArgs(fromFile ? dir.File("job.ras") : "");
      if (fromFile) {
        ASSERT_TRUE(filtertest::WriteFile(dir.File("job.ras"), stream));
      }
      const auto run = RunFilter(options, fromFile ? Bytes{} : stream);
      std::string lines;
      for (int i = 1; i <= pages; ++i) lines += "PAGE: " + std::to_string(i) + " 3\n";
      EXPECT_EQ(run.status, pages ? 0 : 1);
      EXPECT_EQ(run.err, lines);
      EXPECT_EQ(run.out, Frames(page, pages));
    }
  }
}

TEST(FilterProgram, StreamsWithoutAPagePrintNothing) {
  const Bytes stream = filtertest::MakeStream(SmallLetterPage());
  const struct {
    const char* name;
    Bytes input;
  } cases[] = {
      {"empty", {}},
      {"not raster", Hex("25 50 44 46 2D 31 2E 34 0A")},  // "%PDF-1.4"
      {"sync word only", Bytes(stream.begin(), stream.begin() + 4)},
      {"header cut short", Bytes(stream.begin(), stream.begin() + 900)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FilterProcess::Options options;
    options.args = JobArgs();
    const auto run = RunFilter(options, c.input);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err, "");
  }
}

// Each mend of an unsound header or stream: an ERROR: line naming the cause,
// status 1, and the first page's bytes still written.
TEST(FilterProgram, RefusesBrokenSecondPagesAfterPrintingTheFirst) {
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> overrides;
    long long cut;
    const char* error;
  } cases[] = {
      {"size past 32 bits",
       {{"cupsBytesPerLine", "65536"}, {"cupsHeight", "65537"}},
       0,
       "ERROR: Page 2 refused: cupsBytesPerLine x cupsHeight = 65536 x 65537"},
      {"width past the line", {{"cupsWidth", "20000"}}, 0, "ERROR: Page 2 refused: cupsWidth = 20000"},
      {"zero width", {{"cupsWidth", "0"}}, 0, "ERROR: Page 2 refused: cupsWidth = 0"},
      {"unprintable pitch",
       {{"HWResolution[0]", "240"}, {"HWResolution[1]", "72"}},
       0,
       "ERROR: Page 2 refused: HWResolution = [ 240 72 ]"},
      {"colour page", {{"cupsColorSpace", "1"}}, 0, "ERROR: Page 2 refused: cupsColorSpace = 1"},
      {"2-bit page",
       {{"cupsBitsPerColor", "2"}, {"cupsBitsPerPixel", "2"}},
       0,
       "ERROR: Page 2 refused: cupsBitsPerColor = 2"},
      {"zero height", {{"cupsHeight", "0"}}, 0, "ERROR: Page 2 refused: the CUPS raster library rejects"},
      {"stream ends in the bitmap", {}, 100, "ERROR: The raster data ended inside page 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    marvik::raster::StreamSpec request;
    request.rawHeader = true;
    marvik::raster::PageSpec bad = SmallLetterPage();
    bad.overrides = c.overrides;
    request.pages = {SmallLetterPage(), bad, SmallLetterPage()};
    if (c.cut) request.pages.pop_back();
    request.cutBytes = c.cut;
    Bytes stream;
    std::string error;
    ASSERT_TRUE(marvik::raster::BuildRasterStream(request, stream, error)) << error;
    FilterProcess::Options options;
    options.args = JobArgs();
    const auto run = RunFilter(options, stream);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, Frames(SmallLetterPage(), 1));
    EXPECT_EQ(run.err.rfind("PAGE: 1 3\n", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("PAGE: 3"), std::string::npos) << run.err;
  }
}

TEST(FilterProgram, WriteFailuresAreReported) {
  FilterProcess::Options options;
  options.args = JobArgs();
  options.stdoutPath = "/dev/full";
  const auto run = RunFilter(options, filtertest::MakeStream(SmallLetterPage(), 2));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("ERROR: Could not send"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
}

TEST(FilterProgram, SigtermBeforeTheFirstPagePrintsNothing) {
  const Bytes stream = filtertest::MakeStream(SmallLetterPage(), 2);
  FilterProcess process;
  FilterProcess::Options options;
  options.args = JobArgs("");
  options.args[0] = "4711";
  unlink(filtertest::kJobLog);  // what is logged next is this job's
  ASSERT_TRUE(process.Start(options));
  ASSERT_TRUE(process.Feed(Bytes(stream.begin(), stream.begin() + 4)));  // the sync word opens the stream
  ASSERT_TRUE(FilterProcess::WaitForLog("marvlog thread started"));      // main runs: the handler is in place
  process.Signal(SIGTERM);
  process.Feed(Bytes(stream.begin() + 4, stream.end()));
  EXPECT_EQ(process.Wait(), 1);
  EXPECT_TRUE(process.Stdout().empty());
  EXPECT_EQ(process.Stderr(), "");
}

TEST(FilterProgram, SigtermDuringPageTwoFinishesItAndStops) {
  const marvik::raster::PageSpec page = SmallLetterPage();
  const Bytes one = filtertest::MakeStream(page, 1), three = filtertest::MakeStream(page, 3);
  const std::size_t pageBytes = one.size() - 4;  // sync word, then header and bitmap per page
  const std::size_t insidePage2 = 4 + pageBytes + pageBytes / 2;
  FilterProcess process;
  FilterProcess::Options options;
  options.args = JobArgs();
  ASSERT_TRUE(process.Start(options));
  ASSERT_TRUE(process.Feed(Bytes(three.begin(), three.begin() + static_cast<long>(insidePage2))));
  ASSERT_TRUE(process.WaitForStderr("PAGE: 2 3\n"));  // page 2's pixels are being read now
  process.Signal(SIGTERM);
  process.Feed(Bytes(three.begin() + static_cast<long>(insidePage2), three.end()));
  EXPECT_EQ(process.Wait(), 0);
  EXPECT_EQ(process.Stdout(), Frames(page, 2));
  EXPECT_EQ(process.Stderr(), "PAGE: 1 3\nPAGE: 2 3\n");
}

TEST(FilterProgram, LogsEachPageHeaderAndGeometryOfThisJobOnly) {
  PlantStaleLog();
  marvik::raster::PageSpec page = SmallLetterPage();
  page.pageSizeName = "Letter";
  page.xdpi = 360;
  page.ydpi = 360;
  marvik::raster::StreamSpec request;
  request.rawHeader = true;
  request.pages = {page, page};
  request.pages[1].overrides = {{"cupsPageSizeName", "@unterminated"}};
  Bytes stream;
  std::string error;
  ASSERT_TRUE(marvik::raster::BuildRasterStream(request, stream, error));
  FilterProcess::Options options;
  options.args = JobArgs();
  const auto run = RunFilter(options, stream);
  ASSERT_EQ(run.status, 0) << run.err;

  const std::string log = ReadFile(filtertest::kJobLog);
  EXPECT_EQ(log.find("STALE"), std::string::npos);
  // Every record: date, time with milliseconds, [thread id], level, message,
  // " file:line", CR LF. The header dump's texts end in their own line feed,
  // so the suffix of those records opens the next line: " rastertomarvik:N".
  std::string messages;
  int count = 0;
  for (std::size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
    ++count;
    std::string text = log.substr(start, end - start);
    const std::size_t feed = text.find('\n');
    if (feed != std::string::npos) {
      const std::string suffix = text.substr(feed + 1);
      ASSERT_EQ(suffix.rfind(" rastertomarvik:", 0), 0u) << text;
      ASSERT_EQ(suffix.find_first_not_of("0123456789", 16), std::string::npos) << text;
      text = text.substr(0, feed) + suffix;
    }
    ASSERT_TRUE(IsLogLine(text)) << text;
    messages += text + "\n";
  }
  EXPECT_EQ(log.size(), log.rfind("\r\n") + 2) << "the log ends inside a record";
  EXPECT_EQ(messages.find("reading pages"), std::string::npos);
  const std::size_t duplex = log.find(" LOG_DEBUG DEBUG: Duplex = 0\n rastertomarvik:");
  ASSERT_NE(duplex, std::string::npos);
  const std::size_t digits = duplex + std::strlen(" LOG_DEBUG DEBUG: Duplex = 0\n rastertomarvik:");
  EXPECT_EQ(log.find("\r\n", digits), log.find_first_not_of("0123456789", digits));
  EXPECT_GT(count, 40);
  const char* dump[] = {"DEBUG: StartPage...",
                        "DEBUG: cupsPageSizeName = Letter",
                        "DEBUG: Duplex = 0",
                        "DEBUG: HWResolution = [ 360 360 ]",
                        "DEBUG: ImagingBoundingBox = [ 0 0 150 792 ]",
                        "DEBUG: Margins = [ 0 0 ]",
                        "DEBUG: ManualFeed = 0",
                        "DEBUG: MediaPosition = 0",
                        "DEBUG: NumCopies = 3",
                        "DEBUG: Orientation = 0",
                        "DEBUG: PageSize = [ 150 792 ]",
                        "DEBUG: cupsWidth = 750",
                        "DEBUG: cupsHeight = 3960",
                        "DEBUG: cupsMediaType = 0",
                        "DEBUG: cupsBitsPerColor = 1",
                        "DEBUG: cupsBitsPerPixel = 1",
                        "DEBUG: cupsBytesPerLine = 94",
                        "DEBUG: cupsColorOrder = 0",
                        "DEBUG: cupsColorSpace = 3",
                        "DEBUG: cupsCompression = 0",
                        "pinType: 24",
                        "dpiX: 360",
                        "dpiY: 360",
                        "linesPerRow: 48",
                        "verticalUnit: 360",
                        "bitmapM: 40"};
  std::size_t at = 0;
  for (const char* entry : dump) {
    at = messages.find(std::string(" ") + entry + " ", at);
    ASSERT_NE(at, std::string::npos) << "missing or out of order: " << entry;
  }
  // The second page's name has no NUL in its 64 bytes: exactly 64 characters are logged.
  EXPECT_NE(messages.find("DEBUG: cupsPageSizeName = " + std::string(64, 'X') + " "), std::string::npos);
}

TEST(FilterProgram, LeavesASymlinkAtTheLogPathAndItsTargetAlone) {
  ScratchDir dir;
  const std::string target = dir.File("precious.txt");
  std::ofstream(target) << "keep me\n";
  unlink(filtertest::kJobLog);
  ASSERT_EQ(symlink(target.c_str(), filtertest::kJobLog), 0);
  FilterProcess::Options options;
  options.args = JobArgs();
  const auto run = RunFilter(options, filtertest::MakeStream(SmallLetterPage()));
  struct stat st {};
  const bool stillLink = lstat(filtertest::kJobLog, &st) == 0 && S_ISLNK(st.st_mode);
  unlink(filtertest::kJobLog);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(stillLink);
  EXPECT_EQ(ReadFile(target).rfind("keep me\n", 0), 0u) << "the link's target was truncated";
}

}  // namespace
