// Memory stays flat over a long job: nothing of a page outlives it, so the
// peak for 500 pages is that for 5.
#include <gtest/gtest.h>

#include <iostream>

#include "FaultPages.h"

namespace faults {
namespace {

// 4 x 2 inches at 180 dpi: 32 KB of bitmap per page; a page leaked each time
// would add 16 MB over the long job.
marvik::raster::PageSpec MemoPage() {
  marvik::raster::PageSpec page = PatternPage(288, 144, marvik::raster::Pattern::kGradient);
  page.bitsPerColor = 8;  // the halftoning path allocates most
  return page;
}

Outcome RunPages(const Sandbox& sandbox, int pages) {
  Job job;
  job.input = filtertest::MakeStream(MemoPage(), pages);
  job.output = OutputMode::kDevNull;
  job.tmp = Sandbox::FastTmp();
  // AddressSanitizer parks freed blocks in a quarantine of up to 256 MB,
  // which would measure the sanitizer instead of the filter.
  job.env = {"ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=0:thread_local_quarantine_size_kb=0"};
  job.samplePeakRss = true;
  job.timeoutMs = 240000;
  return sandbox.Run(job);
}

TEST(MemoryFaults, PeakMemoryOf500PagesIsThatOf5) {
  Sandbox sandbox;
  const Outcome shortJob = RunPages(sandbox, 5);
  const Outcome longJob = RunPages(sandbox, 500);
  ASSERT_EQ(shortJob.status, 0) << shortJob.err;
  ASSERT_EQ(longJob.status, 0) << longJob.err;
  EXPECT_EQ(Count(shortJob.err, "PAGE: "), 5u);
  EXPECT_EQ(Count(longJob.err, "PAGE: "), 500u);
  std::cout << "peak RSS: 5 pages " << shortJob.peakRssKb << " KB (" << shortJob.seconds << " s), 500 pages "
            << longJob.peakRssKb << " KB (" << longJob.seconds << " s)\n";
  EXPECT_LE(longJob.peakRssKb, shortJob.peakRssKb * 11 / 10);
}

}  // namespace
}  // namespace faults
