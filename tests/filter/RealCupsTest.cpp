// The filter inside real CUPS: the PPD checked by cupstestppd, the whole
// filter chain run by cupsfilter, and a job printed through a private
// scheduler. All of them run the filter, which writes the shared job log.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "FilterProcess.h"

using filtertest::Bytes;
using filtertest::Hex;
using filtertest::ReadFile;

namespace {

const std::string kFilter = MARVIK_FILTER_BINARY;
const std::string kPpd = MARVIK_TEST_PPD;
const std::string kScripts = MARVIK_TEST_SCRIPTS;
const std::string kSample = MARVIK_SAMPLE_PS;

class Scratch : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/filtertest-cups-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    ASSERT_EQ(chmod(dir, 0755), 0);
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  // The sample page twice, as a PDF.
  std::string TwoPagePdf() {
    const std::string one = dir_ + "/one.pdf", two = dir_ + "/two.pdf";
    EXPECT_EQ(Shell("ps2pdf '" + kSample + "' '" + one + "'"), 0);
    EXPECT_EQ(Shell("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile='" + two + "' '" + one +
                    "' '" + one + "'"),
              0);
    return two;
  }
  static int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static Bytes Load(const std::string& path) {
    const std::string text = ReadFile(path);
    return Bytes(text.begin(), text.end());
  }
  std::string dir_;
};

using PpdFile = Scratch;
TEST_F(PpdFile, PassesCupstestppdAndOffersThePrintersModes) {
  // cupstestppd looks for the filter under its root folder.
  ASSERT_EQ(Shell("mkdir -p '" + dir_ + "/usr/lib/cups/filter' && cp '" + kFilter + "' '" + dir_ +
                  "/usr/lib/cups/filter/'"),
            0);
  EXPECT_EQ(Shell("cupstestppd -q -R '" + dir_ + "' '" + kPpd + "'"), 0);
  const std::string ppd = ReadFile(kPpd);
  for (const char* line : {
           "*cupsFilter: \"application/vnd.cups-raster 100 rastertomarvik\"",
           "*DefaultResolution: 180dpi",
           "*Resolution 120x180dpi/",
           "*Resolution 180dpi/",
           "*Resolution 360x180dpi/",
           "*Resolution 180x360dpi/",
           "*Resolution 360dpi/",
           "/cupsBitsPerColor 1/",
           "/cupsColorSpace 3>>",
           "*PageSize Letter/",
           "*PageSize Legal/",
           "*PageSize A4/",
           "*PageSize A5/",
           "*PageSize 9.5x11/US Fanfold 9.5 x 11 in: \"<</PageSize[684 792]",
           "*PageSize FanFoldGerman/",
           "PageSize[612 864]",
           "*PageSize FanFoldUS/",
           "PageSize[1071 792]",
       }) {
    EXPECT_NE(ppd.find(line), std::string::npos) << line;
  }
}

using Install = Scratch;
TEST_F(Install, PutsTheFilterAndThePpdWhereCupsLooksForThem) {
  ASSERT_EQ(
      Shell("DESTDIR='" + dir_ + "' cmake --install '" + std::string(MARVIK_BUILD_DIR) + "' >/dev/null"), 0);
  const std::string serverbin = MARVIK_CUPS_SERVERBIN;
  const struct {
    std::string path;
    mode_t mode;
  } files[] = {{serverbin + "/filter/rastertomarvik", 0755}, {"/usr/share/ppd/marvik/marvik24.ppd", 0644}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.path);
    struct stat st {};
    ASSERT_EQ(stat((dir_ + f.path).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, f.mode);
    EXPECT_EQ(st.st_uid, getuid());  // root when installed as root, as CUPS requires
  }
}

using RealChain = Scratch;
TEST_F(RealChain, CupsfilterTurnsAPdfIntoOneFramePerPage) {
  const std::string pdf = TwoPagePdf();
  const struct {
    const char* options;
    const char* start;  // ESC @, page length, CR
    unsigned columnBytes;
  } cases[] = {
      {"", "1B 40 1B 32 1B 43 42 0D", 3},                                         // Letter, 180 x 180
      {"-o Resolution=360dpi -o PageSize=A4", "1B 40 1B 32 1B 43 46 0D", 3},      // two passes of 24 rows
      {"-o Resolution=180x360dpi -o PageSize=A5", "1B 40 1B 32 1B 43 32 0D", 3},  // fine paper feeds
      {"-o Resolution=120x180dpi -o PageSize=FanFoldGerman", "1B 40 1C 43 E0 10 0D", 3},  // 12 in, fine units
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const std::string work = dir_ + "/chain" + std::to_string(&c - cases);
    ASSERT_EQ(Shell("'" + kScripts + "/run-cupsfilter.sh' '" + kFilter + "' '" + kPpd + "' '" + pdf + "' '" +
                    work + "' " + c.options),
              0)
        << ReadFile(work + "/log");
    std::vector<Bytes> frames;
    ASSERT_TRUE(filtertest::ParseFrames(Load(work + "/out.prn"), c.columnBytes, frames));
    ASSERT_EQ(frames.size(), 2u);
    for (const Bytes& frame : frames) {
      const Bytes start = Hex(c.start);
      EXPECT_EQ(Bytes(frame.begin(), frame.begin() + static_cast<long>(start.size())), start);
      EXPECT_GT(frame.size(), 1000u) << "the page's text and drawing are missing";
    }
  }
}

using PrivateScheduler = Scratch;
TEST_F(PrivateScheduler, PrintsATwoPagePdfToAFileDevice) {
  const std::string pdf = TwoPagePdf();
  const std::string work = dir_ + "/cupsd";
  ASSERT_EQ(Shell("'" + kScripts + "/private-cupsd.sh' '" + kFilter + "' '" + kPpd + "' '" + pdf + "' '" +
                  work + "'"),
            0);
  const std::string result = ReadFile(work + "/result");
  EXPECT_NE(result.find("state completed\n"), std::string::npos) << result;
  EXPECT_NE(result.find("pages 2\n"), std::string::npos) << result;
  std::vector<Bytes> frames;
  ASSERT_TRUE(filtertest::ParseFrames(Load(work + "/job.prn"), 3, frames));
  EXPECT_EQ(frames.size(), 2u);
}

}  // namespace
