// A SIGTERM at any moment of a job leaves whole page frames only, and the
// exit status follows the cancel rule: 0 once a page was printed, else 1.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "FaultPages.h"

namespace faults {
namespace {

constexpr int kMoments = 200;
constexpr int kPages = 4;
constexpr unsigned kSeed = 20261206;
constexpr int kWorkers = 8;

marvik::raster::PageSpec CheckerStrip() {
  return PatternPage(612, 144, marvik::raster::Pattern::kChecker);  // 2 inches: FS C 0x02D0
}

// Empty when a cancelled run obeyed the rules, else what it broke. Sets
// `frames` to the whole frames written, or -1 when SIGTERM came before the
// handler was installed and its default action ended the process.
std::string CheckCancelledRun(const Outcome& run, const Bytes& frame, int& frames) {
  frames = -1;
  if (run.status == -1) return "the job hung";
  if (run.status == 128 + SIGTERM) {
    if (!run.out.empty() || run.err.find("PAGE:") != std::string::npos) return "killed after printing";
    return "";
  }
  const int whole = static_cast<int>(run.out.size() / frame.size());
  if (whole > kPages || run.out != Repeat(frame, whole)) {
    return "not whole frames: " + std::to_string(run.out.size()) + " bytes";
  }
  frames = whole;
  if (static_cast<int>(Count(run.err, "PAGE: ")) != whole) return "PAGE lines differ from frames: " + run.err;
  if (run.err.find("ERROR:") != std::string::npos) return "a cancel is no error: " + run.err;
  if (run.status != (whole > 0 ? 0 : 1)) return "status " + std::to_string(run.status);
  return "";
}

// Runs `job` uncancelled on every worker at once, as the cancelled runs
// will be, and returns the mean duration; -1 when a run went wrong.
double ParallelSeconds(const Job& job, const Bytes& expected) {
  std::vector<double> seconds(kWorkers, -1);
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      const Outcome run = Sandbox().Run(job);
      if (run.status == 0 && run.out == expected) seconds[w] = run.seconds;
    });
  }
  for (std::thread& worker : workers) worker.join();
  double sum = 0;
  for (double s : seconds) {
    if (s < 0) return -1;
    sum += s;
  }
  return sum / kWorkers;
}

TEST(CancelFaults, SigtermAtRandomMomentsLeavesWholeFramesAndAMatchingStatus) {
  const Bytes frame = FrameOf(CheckerStrip(), filtertest::Hex("1B 40 1C 43 D0 02 0D"));
  Job job;
  job.input = filtertest::MakeStream(CheckerStrip(), kPages);
  job.tmp = Sandbox::FastTmp();
  job.timeoutMs = 20000;
  // Leaks are checked by the other runs of the program; at exit the check
  // costs a sanitizer build more than the whole job, two hundred times over.
  job.env = {"ASAN_OPTIONS=detect_leaks=0"};
  Job onePage = job;
  onePage.input = filtertest::MakeStream(CheckerStrip(), 1);

  // Start-up takes most of a short job, so a quarter of the moments spread
  // over the whole run and the rest over the pages, as timed by uncancelled
  // runs of four pages and of one page under the same load.
  const double whole = ParallelSeconds(job, Repeat(frame, kPages));
  const double single = ParallelSeconds(onePage, frame);
  ASSERT_GT(whole, 0) << "an uncancelled job failed";
  ASSERT_GT(single, 0) << "an uncancelled one-page job failed";
  const double perPage = std::max(0.0, (whole - single) / (kPages - 1));
  const double pagesStart = std::max(0.0, single - perPage);
  std::mt19937 random(kSeed);
  std::uniform_real_distribution<double> anyMoment(0.0, whole * 1.1);
  std::uniform_real_distribution<double> pageMoment(pagesStart, whole);
  std::vector<double> moments(kMoments);
  for (int i = 0; i < kMoments; ++i) moments[i] = i % 4 == 0 ? anyMoment(random) : pageMoment(random);

  // Each worker has its own sandbox and every run its own /tmp, so runs
  // overlap without sharing a log; most of a run is the filter waiting.
  std::vector<int> frames(kMoments, -1);  // -1: ended by SIGTERM's default action
  std::vector<std::string> faults(kMoments);
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      Sandbox own;
      for (int i = w; i < kMoments; i += kWorkers) {
        Job cancelled = job;
        cancelled.sigtermAfter = moments[i];
        faults[i] = CheckCancelledRun(own.Run(cancelled), frame, frames[i]);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();

  std::map<int, int> framesSeen;  // frames written (-1: killed early) -> runs
  for (int i = 0; i < kMoments; ++i) {
    EXPECT_EQ(faults[i], "") << "SIGTERM after " << moments[i] << " s";
    ++framesSeen[frames[i]];
  }
  std::cout << "SIGTERM moments over " << whole * 1.1 << " s (pages from " << pagesStart << " s):";
  for (const auto& seen : framesSeen) {
    std::cout << " " << seen.second << (seen.first < 0 ? " before the handler" : " with ")
              << (seen.first < 0 ? "" : std::to_string(seen.first) + " frames") << ";";
  }
  std::cout << "\n";
  EXPECT_LT(framesSeen[kPages], kMoments) << "no SIGTERM cut a job short";
}

}  // namespace
}  // namespace faults
