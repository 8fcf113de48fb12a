// What only the running program shows: arguments, PPD failures, the log path
// in every state, failing output, printer options, log settings, log records;
// then the filter inside real CUPS: cupsfilter's chain and a private scheduler.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <tuple>

#include "tests/filter/FilterTestSupport.h"
#include "tools/preview/EscpInterpreter.h"

namespace marvik::test {
namespace {

using raster::Pattern;

const PageSpec kInch = Page(72, 72);  // 1 x 1 in: FS C 360, a few bands

TEST(FilterProgram, StartsAsCupsRunsIt) {
  const struct {
    const char* name;
    void (*change)(Job&);
    int status;
    const char* err;  // a regular expression
    double minSeconds;
  } cases[] = {
      {"5 entries", [](Job& j) { j.args.pop_back(); }, 1, "", 0},
      {"8 entries", [](Job& j) { j.args.resize(7, "x"); }, 1, "", 0},
      {"raster as argument 6", [](Job& j) { j.inputAsFile = true; }, 0, "PAGE: 1 1\n", 0},
      {"missing input file", [](Job& j) { j.args.push_back("/nonexistent/job.ras"); }, 1, "", 1.0},
      {"PPD unset", [](Job& j) { j.ppd = false; }, 1, "DEBUG: [^\n]+ on line [0-9]+\\.\n", 0},
      {"not a PPD", [](Job& j) { j.ppdPath = "/etc/passwd"; }, 1, "DEBUG: [^\n]+ on line 1\\.\n", 0},
      {"SIGTERM before page 1", [](Job& j) { j.sigtermFirst = true; }, 1, "", 0},
      {"page 2 refused by libcups",
       [](Job& j) {
         j.input = Stream({kInch, Page(72, 72, Pattern::kStripes, 180, 180, "cupsHeight=0"), kInch});
       },
       1, "PAGE: 1 1\nERROR: Page 2 refused: the CUPS raster library rejects its header [^\n]*\n", 0},
      {"empty input", [](Job& j) { j.input.clear(); }, 1, "ERROR: No pages found\n", 0},
      {"not raster", [](Job& j) { j.input = Bytes(j.input.rbegin(), j.input.rend()); }, 1,
       "ERROR: No pages found: the input is not raster data\n", 0},
      {"cut inside page 2's header",
       [](Job& j) {
         j.input = Stream({kInch, kInch}, static_cast<long long>(j.input.size()) - 8);
       },
       1, "PAGE: 1 1\nERROR: The raster data ended inside the header of page 2; the page was not printed\n",
       0},
  };
  Sandbox sandbox;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(sandbox.LogPath(), "STALE line of an earlier job\r\n");
    Job job;
    c.change(job);
    const Result run = sandbox.Run(job);
    EXPECT_EQ(run.status, c.status);
    EXPECT_TRUE(std::regex_match(run.err, std::regex(c.err))) << run.err;
    EXPECT_TRUE(std::strstr(c.err, "PAGE: 1") ? PrintsPages(run.out, {kInch}) : run.out.empty());
    EXPECT_GE(run.seconds, c.minSeconds);
    EXPECT_EQ(ReadFile(sandbox.LogPath()).find("STALE"), std::string::npos) << "the log is emptied first";
  }
}

TEST(FilterProgram, AJobThatCannotBeDeliveredFailsWithTheReason) {
  const PageSpec wide = Page(612, 144, Pattern::kBlack);  // 70 KB a page: more than the output buffer
  const struct {
    OutputMode output;
    std::vector<PageSpec> pages;
    int error;
  } cases[] = {
      {OutputMode::kDevFull, {kInch}, ENOSPC},  // only the final flush writes a small job
      {OutputMode::kNoReader, {wide, wide, wide, wide}, EPIPE},
      {OutputMode::kClosed, {kInch}, EBADF},
  };
  Sandbox sandbox;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::strerror(c.error));
    Job job;
    job.input = Stream(c.pages);
    job.output = c.output;
    const Result run = sandbox.Run(job);
    EXPECT_EQ(run.status, 1) << "-1 is a hang, 141 death by SIGPIPE";
    EXPECT_TRUE(run.err.find("ERROR: Could not send ") == run.err.rfind("ERROR")) << run.err;
    EXPECT_NE(run.err.find(std::string(std::strerror(c.error)) + "\n"), std::string::npos) << run.err;
  }
}

TEST(FilterProgram, PrintsWhateverStateTheLogPathIsIn) {
  if (!Sandbox::WhyNoPrivateTmp().empty()) GTEST_SKIP() << Sandbox::WhyNoPrivateTmp();
  const struct {
    TmpMode tmp;
    bool asNobody;
    const char* plant;  // shell commands in the job's /tmp; $L is the log
    const char* check;
  } cases[] = {
      {TmpMode::kPrivate, false, "true", "grep -q StartPage $L && test \"$(stat -c %a $L)\" = 644"},
      {TmpMode::kPrivate, false, "echo keep >p && ln -s /tmp/p $L", "test -L $L && test \"$(cat p)\" = keep"},
      {TmpMode::kPrivate, false, "echo keep >p && ln p $L", "test \"$(cat p)\" = keep"},
      {TmpMode::kPrivate, false, "mkdir $L && echo keep >$L/in", "test \"$(cat $L/in)\" = keep"},
      {TmpMode::kPrivate, false, "mkfifo $L", "test -p $L"},
      {TmpMode::kPrivate, true, "echo keep >$L", "test \"$(cat $L)\" = keep"},  // root's log, a job as nobody
      {TmpMode::kPrivate, true, "chmod 555 .", "test ! -e $L"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plant);
    Sandbox sandbox;
    const std::string in = "cd '" + sandbox.Tmp() + "' && L=marvikdotmatrix.log && ";
    ASSERT_EQ(std::system((in + c.plant).c_str()), 0);
    Job job;
    job.input = Stream({kInch, kInch});
    job.tmp = c.tmp;
    job.asNobody = c.asNobody;
    const Result run = sandbox.Run(job);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "PAGE: 1 1\nPAGE: 2 1\n");
    EXPECT_TRUE(PrintsPages(run.out, {kInch, kInch}));
    EXPECT_EQ(std::system((in + c.check).c_str()), 0) << c.check;
  }
}

// A print direction is sent right after ESC @ and changes nothing else; two
// passes change only pages at 360 dpi across, which still print every dot.
TEST(FilterProgram, PrinterOptionsReachThePage) {
  const PageSpec wide = Page(72, 72, Pattern::kStripes, 360, 180);
  const struct {
    const char* options;
    bool atWide;           // the 360 x 180 page, else the 180 x 180 one
    const char* inserted;  // after ESC @
    bool splits;           // the rest of the frame changes too
  } cases[] = {
      {"MarvikPrintDirection=Uni", false, "1B 55 01", false},
      {"MarvikPrintDirection=Bi", false, "1B 55 00", false},
      {"MarvikAdjacentDots=TwoPass", false, "", false},
      {"MarvikAdjacentDots=OnePass", true, "", false},
      {"MarvikAdjacentDots=TwoPass MarvikPrintDirection=Bi", true, "1B 55 00", true},
  };
  Sandbox sandbox;
  Job jobs[2];
  Bytes plain[2];
  for (bool atWide : {false, true}) {
    jobs[atWide].input = Stream({atWide ? wide : kInch});
    plain[atWide] = sandbox.Run(jobs[atWide]).out;
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    Job job = jobs[c.atWide];
    job.args[4] += std::string(" ") + c.options;
    const Result run = sandbox.Run(job);
    ASSERT_TRUE(PrintsPages(run.out, {c.atWide ? wide : kInch}));
    Bytes expected = plain[c.atWide];
    const Bytes inserted = Hex(c.inserted);
    expected.insert(expected.begin() + 2, inserted.begin(), inserted.end());
    EXPECT_EQ(run.out == expected, !c.splits);
    EXPECT_TRUE(std::equal(inserted.begin(), inserted.end(), run.out.begin() + 2));
  }
}

// $CUPS_SERVERROOT/rastertomarvik.conf (the log off, unless a row writes
// another) is applied when root's, writable by nobody else, with one link and
// at most 64 KiB, and changes only what it names; else ignored, all of it,
// with one DEBUG: line.
TEST(FilterProgram, AppliesTheAdministratorsLogSettingsOnlyWhenSafe) {
  if (::geteuid() != 0) GTEST_SKIP() << "the settings file must be root's";
  const std::string in = "the log settings in [^\n]*/cups/rastertomarvik.conf",
                    ignoring = "DEBUG: Ignoring " + in + ": ", applied = "DEBUG: Applied " + in + "\n";
  const struct {
    const char* plant;  // shell commands; $F is the settings file, written just before
    std::string err;    // a regular expression
    bool logs;          // the job log, where the filter puts it, holds the job's lines
  } cases[] = {
      {"rm $F", "", true},
      {"chmod 644 $F", applied, false},
      {"truncate -s 65536 $F", applied, false},
      {"truncate -s 65537 $F", ignoring + "it is larger than 65536 bytes\n", true},
      {"ln $F $F.2", ignoring + "it has more than one hard link\n", true},
      {"printf '[Main]\\nlevel = trace\\n' >$F", applied, true},
      {"printf '[Main]\\nname = ../tmp/x\\n' >$F", ignoring + "a log name in it holds a /\n", true},
      {"printf '[Main]\\npath = tmp\\n' >$F", ignoring + "a log path in it is not absolute\n", true},
      {"chmod 646 $F", ignoring + "it is writable by group or others\n", true},
      {"chmod 664 $F", ignoring + "it is writable by group or others\n", true},
      {"chown 65534 $F", ignoring + "it is not owned by root\n", true},
      {"mv $F $F.real && ln -s $F.real $F", ignoring + "it is a symbolic link\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plant);
    Sandbox sandbox;
    WriteFile(sandbox.SettingsFile(), "[Main]\nenable = false\n");
    ASSERT_EQ(std::system(("F='" + sandbox.SettingsFile() + "' && " + c.plant).c_str()), 0);
    const Result run = sandbox.Run(Job{});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(std::regex_match(run.err, std::regex(c.err + "PAGE: 1 1\n"))) << run.err;
    EXPECT_TRUE(PrintsPages(run.out, {kInch}));
    const std::string log = ReadFile(sandbox.LogPath());
    EXPECT_EQ(c.logs ? log.find(" LOG_DEBUG ") != std::string::npos : log.empty(), true) << log;
  }
}

TEST(FilterProgram, LogsTheRecordsOfThisJobOnly) {
  PageSpec page = Page(150, 792, Pattern::kStripes, 360, 360, "NumCopies=3"), unnamed = page;
  unnamed.overrides.emplace_back("cupsPageSizeName", "@unterminated");
  Sandbox sandbox;
  Job job;
  job.input = Stream({page, unnamed});
  ASSERT_EQ(sandbox.Run(job).status, 0);
  const std::string log = ReadFile(sandbox.LogPath());
  // The dump of both pages, in order, each text ending in its line feed; the
  // unterminated name is logged in full.
  const std::string dump =
      "StartPage...|cupsPageSizeName = Letter|Duplex = 0|HWResolution = [ 360 360 ]|"
      "ImagingBoundingBox = [ 0 0 150 792 ]|Margins = [ 0 0 ]|ManualFeed = 0|MediaPosition = 0|NumCopies = 3|"
      "Orientation = 0|PageSize = [ 150 792 ]|cupsWidth = 750|cupsHeight = 3960|cupsMediaType = 0|"
      "cupsBitsPerColor = 1|cupsBitsPerPixel = 1|cupsBytesPerLine = 94|cupsColorOrder = 0|cupsColorSpace = 3|"
      "cupsCompression = 0|StartPage...|cupsPageSizeName = " +
      std::string(64, 'X');
  for (std::size_t at = 0, from = 0, to = 0; from < dump.size(); from = to + 1) {
    to = std::min(dump.find('|', from), dump.size());
    at = log.find(" LOG_DEBUG DEBUG: " + dump.substr(from, to - from) + "\n rastertomarvik:", at);
    ASSERT_NE(at, std::string::npos) << "missing or out of order: " << dump.substr(from, to - from);
  }
}

// Text through texttomarvik: the PPD's text options, CUPS's own text options
// and their names over IPP reach the printer; copies are whole documents.
TEST(FilterProgram, PrintsTextInThePrintersFonts) {
  const struct {
    const char* options;
    const char* copies;
    std::string input;
    const char* err;    // a regular expression, DEBUG: lines left out; ERROR: means status 1
    const char* bytes;  // a regular expression over the printer bytes in hex
  } cases[] = {
      {"MarvikTextPitch=12-cpi lpi=8 MarvikTextTable=iso-8859-15", "2", "caf\xc3\xa9\n",
       "PAGE: 1 1\nPAGE: 2 1\n",
       "^1B 40 .*1D 0F .*1B 4D .*1B 30 1B 4A 2D 63 61 66 E9 0D 0A 0C 1B 40 1B 40 .* 0C 1B "
       "40$"},
      {"PageSize=A4 page-top=0 cpi=17 marvik-text-quality=letter-quality", "1", std::string(66, '\n') + "x",
       "PAGE: 1 1\n", "^1B 40 .*1B 78 01 .*0F 1B 32 0D 0A .*78 0D 0A 0C 1B 40$"},  // 67 lines, Letter 63
      {"wrap=false MarvikTextLongLines=wrap cpi=abc lpi=0", "1", std::string(81, 'x'),
       "WARNING: Ignoring cpi=abc: not a number from 1 to 100\nWARNING: Ignoring lpi=0: [^\n]*\nPAGE: 1 1\n",
       "1B 4A 2D( 78){79} 0D 0A 0C"},
      {"", "1", "", "WARNING: The document is empty: nothing was printed\n", "^$"},
      {"", "1", std::string("GIF89a\0", 7),
       "ERROR: The document is not text \\(a NUL byte at offset 6 [^\n]*\n", "^$"},
  };
  Sandbox sandbox;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    Job job;
    job.program = MARVIK_TEXT_FILTER_BINARY;
    job.args[3] = c.copies;
    job.args[4] = c.options;
    job.input.assign(c.input.begin(), c.input.end());
    job.inputAsFile = true;
    const Result run = sandbox.Run(job);
    EXPECT_EQ(run.status, std::strncmp(c.err, "ERROR", 5) == 0 ? 1 : 0);
    const std::string err = std::regex_replace(run.err, std::regex("DEBUG: [^\n]*\n"), "");
    EXPECT_TRUE(std::regex_match(err, std::regex(c.err))) << err;
    EXPECT_TRUE(std::regex_search(ToHex(run.out), std::regex(c.bytes))) << ToHex(run.out);
  }
}

// The pages printed from the file at `path`, rendered at 180 dpi: each ends
// with a form feed, sets its page length with `form` and holds `minDots` or
// more, all above its page length; its first dot lies `top` rows down (-1:
// anywhere). `moved` adds up the page lengths in 1/360 inch: the paper fed.
using Form = preview::PageLength::Form;
struct Pages : preview::PageSink {
  Form form;
  int64_t minDots, top, count = 0, moved = 0;
  bool PageResolution(int32_t, preview::Resolution* r) override { return *r = {180, 180}, true; }
  bool TakePage(const preview::Page& page) override {
    const preview::DotCanvas& dots = *page.canvas;
    EXPECT_TRUE(page.endedByFormFeed && page.lengthSetOnPage && page.length.form == form)
        << preview::DescribePageLength(page.length);
    EXPECT_GE(dots.dots(), minDots) << "page " << page.number << "'s text or drawing is missing";
    EXPECT_LE((dots.maxY() + 1) * preview::kUnitsPerInch / 180, page.length.units) << "page " << page.number;
    EXPECT_TRUE(top < 0 || dots.minY() == top) << "page " << page.number << ": " << dots.minY();
    moved += page.length.units / preview::kFinePageUnit;
    return ++count, true;
  }
};
Pages PagesIn(const std::string& path, Form form, int64_t minDots = 10000, int64_t top = -1) {
  const std::string bytes = ReadFile(path);
  Pages pages;
  std::tie(pages.form, pages.minDots, pages.top) = std::tie(form, minDots, top);
  EXPECT_TRUE(
      preview::Interpret(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), {}, pages).ok());
  return pages;
}

class RealCups : public ::testing::Test {
 protected:
  // The sample page twice as a PDF, two.pdf, then `script` on it (or on
  // `document`), in a folder the scheduler's user may read.
  int PrintTwoPages(const std::string& script, const std::string& options = "",
                    const std::string& document = "two.pdf") {
    return std::system(
        ("cd '" + sandbox_.Tmp() +
         "' && ps2pdf '" MARVIK_SAMPLE_PS "' one.pdf && gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite "
         "-sOutputFile=two.pdf one.pdf one.pdf && '" MARVIK_TEST_SCRIPTS "/" +
         script + "' '" MARVIK_FILTER_BINARY "' '" MARVIK_PPD "' " + document + " \"$PWD/job\" " + options)
            .c_str());
  }
  Sandbox sandbox_;
};

TEST_F(RealCups, CupsfilterTurnsAPdfIntoOnePagePerPage) {
  ASSERT_EQ(PrintTwoPages("run-cupsfilter.sh", "-o Resolution=360dpi -o PageSize=A4"), 0)
      << ReadFile(sandbox_.Tmp() + "/job/log");
  EXPECT_EQ(PagesIn(sandbox_.Tmp() + "/job/out.prn", Form::kFine).moved, 2 * 4210);  // A4, 842 points
}

// 100 forms of each kind of length, each with a bar at its top margin (a
// quarter inch, 45 rows) or, as text, an x: the paper moves 100 form lengths
// to the nearest 1/360 inch, and every bar lies at the margin.
TEST_F(RealCups, CupsfilterPrintsFormsOfAnyLengthExactly) {
  const struct {
    const char* document;  // job.ps or job.txt
    const char* size;
    Form form;
    double units;  // 1/360 inch
  } cases[] = {{".ps", "PageSize=8.5x3.67", Form::kLines, 1320},
               {".ps", "PageSize=FanFoldUS", Form::kInches, 3960},
               {".ps", "PageSize=Custom.210x100mm", Form::kFine, 1417.3228},
               {".ps", "media=Custom.8.5x6in", Form::kInches, 2160},
               {".txt", "PageSize=Custom.210x100mm", Form::kFine, 1417.3228}};
  const std::string work = sandbox_.Tmp() + "/job";
  const std::string run =
      "'" MARVIK_TEST_SCRIPTS "/run-cupsfilter.sh' '" MARVIK_FILTER_BINARY "' '" MARVIK_PPD "' ";
  WriteFile(work + ".ps",
            "%!PS\n1 1 100 { pop currentpagedevice /PageSize get 1 get 18 exch 18 sub 72 -9 rectfill "
            "showpage } for\n");
  std::string text;
  for (int form = 0; form < 100; ++form) text += "x\f";
  WriteFile(work + ".txt", text);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.document) + " " + c.size);
    ASSERT_EQ(std::system((run + work + c.document + " " + work + " -o " + c.size).c_str()), 0)
        << ReadFile(work + "/log");
    const bool bar = c.document == std::string(".ps");
    const Pages pages = PagesIn(work + "/out.prn", c.form, bar ? 100 : 10, bar ? 45 : -1);
    EXPECT_EQ(pages.count, 100);
    EXPECT_LE(std::abs(pages.moved - 100 * c.units), 0.5) << pages.moved;
  }
}

TEST_F(RealCups, APrivateSchedulerPrintsATwoPagePdf) {
  ASSERT_EQ(PrintTwoPages("private-cupsd.sh"), 0);
  const std::string result = ReadFile(sandbox_.Tmp() + "/job/result");
  EXPECT_NE(result.find("state completed\npages 2\n"), std::string::npos) << result;
  EXPECT_EQ(PagesIn(sandbox_.Tmp() + "/job/job.prn", Form::kInches).moved, 2 * 3960);  // Letter, 11 in
}

// lp of a text file takes texttomarvik; the preview finds each character
// where the text puts it.
TEST_F(RealCups, APrivateSchedulerPrintsTextInThePrintersFonts) {
  WriteFile(sandbox_.Tmp() + "/a.txt",
            "Total\t42\nb\bb _\bu caf\xc3\xa9 \xe2\x82\xac " + std::string(90, 'x') + "\fnext\n");
  ASSERT_EQ(PrintTwoPages("private-cupsd.sh", "", "a.txt"), 0);
  EXPECT_NE(ReadFile(sandbox_.Tmp() + "/job/result").find("state completed\npages 2\n"), std::string::npos);
  EXPECT_EQ(std::system(("'" MARVIK_PREVIEW_BINARY "' --no-png --compare-text '" + sandbox_.Tmp() +
                         "/a.txt' '" + sandbox_.Tmp() + "/job/job.prn' >/dev/null")
                            .c_str()),
            0);
}

}  // namespace
}  // namespace marvik::test
