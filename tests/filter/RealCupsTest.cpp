// The filter inside real CUPS: the PPD as cupstestppd sees it, a PDF through
// cupsfilter's whole filter chain, and a job through a private scheduler.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "tests/filter/FilterTestSupport.h"
#include "tools/preview/EscpInterpreter.h"

namespace marvik::test {
namespace {

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The pages a printer prints from `path`: each must end with a form feed,
// carry the page length of `lines` sixths of an inch and hold the page's
// text and drawing.
struct Pages : preview::PageSink {
  int lines, count = 0;
  explicit Pages(int pageLines) : lines(pageLines) {}
  bool PageResolution(int32_t, preview::Resolution* r) override { return *r = {180, 180}, true; }
  bool TakePage(const preview::Page& page) override {
    EXPECT_TRUE(page.endedByFormFeed);
    EXPECT_EQ(page.length.value, lines);
    EXPECT_GT(page.canvas->dots(), 10000) << "the page's text and drawing are missing";
    return ++count, true;
  }
  static int Of(const std::string& path, int lines) {
    const std::string bytes = ReadFile(path);
    Pages pages(lines);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const preview::RunResult run =
        preview::Interpret(data, bytes.size(), preview::InterpreterOptions{}, pages);
    EXPECT_TRUE(run.ok()) << run.message;
    return pages.count;
  }
};

class RealCups : public ::testing::Test {
 protected:
  // The sample page twice, as a PDF.
  std::string TwoPagePdf() {
    const std::string one = Dir() + "/one.pdf", two = Dir() + "/two.pdf";
    EXPECT_EQ(Shell("ps2pdf '" MARVIK_SAMPLE_PS "' '" + one + "'"), 0);
    EXPECT_EQ(Shell("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile='" + two + "' '" + one +
                    "' '" + one + "'"),
              0);
    return two;
  }
  std::string Dir() const { return sandbox_.Tmp(); }  // world-readable, as the scheduler's user needs
  Sandbox sandbox_;
};

TEST_F(RealCups, CupstestppdPassesThePpd) {
  // cupstestppd looks for the filter under its root folder.
  ASSERT_EQ(Shell("mkdir -p '" + Dir() + "/usr/lib/cups/filter' && cp '" MARVIK_FILTER_BINARY "' '" + Dir() +
                  "/usr/lib/cups/filter/'"),
            0);
  EXPECT_EQ(Shell("cupstestppd -q -R '" + Dir() + "' '" MARVIK_TEST_PPD "'"), 0);
}

TEST_F(RealCups, CupsfilterTurnsAPdfIntoOnePagePerPage) {
  const std::string pdf = TwoPagePdf(), work = Dir() + "/chain";
  ASSERT_EQ(
      Shell("'" MARVIK_TEST_SCRIPTS "/run-cupsfilter.sh' '" MARVIK_FILTER_BINARY "' '" MARVIK_TEST_PPD "' '" +
            pdf + "' '" + work + "' -o Resolution=360dpi -o PageSize=A4"),
      0)
      << ReadFile(work + "/log");
  EXPECT_EQ(Pages::Of(work + "/out.prn", 70), 2);  // A4: ESC C 70
}

TEST_F(RealCups, APrivateSchedulerPrintsATwoPagePdf) {
  const std::string pdf = TwoPagePdf(), work = Dir() + "/cupsd";
  ASSERT_EQ(
      Shell("'" MARVIK_TEST_SCRIPTS "/private-cupsd.sh' '" MARVIK_FILTER_BINARY "' '" MARVIK_TEST_PPD "' '" +
            pdf + "' '" + work + "'"),
      0);
  const std::string result = ReadFile(work + "/result");
  EXPECT_NE(result.find("state completed\npages 2\n"), std::string::npos) << result;
  EXPECT_EQ(Pages::Of(work + "/job.prn", 66), 2);  // Letter: ESC C 66
}

}  // namespace
}  // namespace marvik::test
