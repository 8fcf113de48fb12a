// The filter inside real CUPS: cupsfilter's whole filter chain, and a job
// through a private scheduler.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/filter/FilterTestSupport.h"
#include "tools/preview/EscpInterpreter.h"

namespace marvik::test {
namespace {

// Counts the pages printed from the file at `path`; each must end with a form
// feed, be `lines` sixths of an inch long and hold the sample's text and drawing.
struct Pages : preview::PageSink {
  int lines, count = 0;
  bool PageResolution(int32_t, preview::Resolution* r) override { return *r = {180, 180}, true; }
  bool TakePage(const preview::Page& page) override {
    EXPECT_TRUE(page.endedByFormFeed && page.length.value == lines)
        << preview::DescribePageLength(page.length);
    EXPECT_GT(page.canvas->dots(), 10000) << "the page's text and drawing are missing";
    return ++count, true;
  }
};
int PagesIn(const std::string& path, int lines) {
  const std::string bytes = ReadFile(path);
  Pages pages;
  pages.lines = lines;
  EXPECT_TRUE(
      preview::Interpret(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), {}, pages).ok());
  return pages.count;
}

class RealCups : public ::testing::Test {
 protected:
  // The sample page twice as a PDF, two.pdf, then `script` on it, in a folder
  // the scheduler's user may read.
  int PrintTwoPages(const std::string& script, const std::string& options = "") {
    return std::system(
        ("cd '" + sandbox_.Tmp() +
         "' && ps2pdf '" MARVIK_SAMPLE_PS "' one.pdf && gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite "
         "-sOutputFile=two.pdf one.pdf one.pdf && '" MARVIK_TEST_SCRIPTS "/" +
         script + "' '" MARVIK_FILTER_BINARY "' '" MARVIK_TEST_PPD "' two.pdf \"$PWD/job\" " + options)
            .c_str());
  }
  Sandbox sandbox_;
};

TEST_F(RealCups, CupsfilterTurnsAPdfIntoOnePagePerPage) {
  ASSERT_EQ(PrintTwoPages("run-cupsfilter.sh", "-o Resolution=360dpi -o PageSize=A4"), 0)
      << ReadFile(sandbox_.Tmp() + "/job/log");
  EXPECT_EQ(PagesIn(sandbox_.Tmp() + "/job/out.prn", 70), 2);  // A4: ESC C 70
}

TEST_F(RealCups, APrivateSchedulerPrintsATwoPagePdf) {
  ASSERT_EQ(PrintTwoPages("private-cupsd.sh"), 0);
  const std::string result = ReadFile(sandbox_.Tmp() + "/job/result");
  EXPECT_NE(result.find("state completed\npages 2\n"), std::string::npos) << result;
  EXPECT_EQ(PagesIn(sandbox_.Tmp() + "/job/job.prn", 66), 2);  // Letter: ESC C 66
}

}  // namespace
}  // namespace marvik::test
