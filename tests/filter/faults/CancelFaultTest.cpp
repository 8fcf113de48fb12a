// A SIGTERM at any moment of a job leaves whole page frames only, and the
// exit status follows the cancel rule: 0 once a page was printed, else 1.
#include <gtest/gtest.h>
#include <signal.h>

#include <iostream>
#include <map>
#include <random>
#include <string>

#include "FaultPages.h"

namespace faults {
namespace {

constexpr int kMoments = 200;
constexpr int kPages = 4;
constexpr unsigned kSeed = 20261206;

mkraster::PageSpec CheckerStrip() {
  mkraster::PageSpec page;
  page.widthPoints = 612;
  page.heightPoints = 144;  // 2 inches: FS C 0x02D0
  page.pattern = mkraster::Pattern::kChecker;
  return page;
}

TEST(CancelFaults, SigtermAtRandomMomentsLeavesWholeFramesAndAMatchingStatus) {
  const Bytes frame = FrameOf(CheckerStrip(), filtertest::Hex("1B 40 1C 43 D0 02 0D"));
  Sandbox sandbox;
  Job job;
  job.input = filtertest::MakeStream(CheckerStrip(), kPages);
  job.tmp = Sandbox::PrivateTmpAvailable() ? TmpMode::kPrivate : TmpMode::kShared;
  job.timeoutMs = 20000;

  const Outcome whole = sandbox.Run(job);
  ASSERT_EQ(whole.status, 0) << whole.err;
  ASSERT_TRUE(whole.out == Repeat(frame, kPages)) << filtertest::ToHex(whole.out);

  // Moments spread over the start-up, every page and the clean-up of an
  // uncancelled run of the same job.
  std::mt19937 random(kSeed);
  std::uniform_real_distribution<double> moment(0.0, whole.seconds * 1.1);
  std::map<int, int> framesSeen;  // frames written -> runs
  int killedBeforeHandler = 0;
  for (int i = 0; i < kMoments; ++i) {
    job.sigtermAfter = moment(random);
    const Outcome run = sandbox.Run(job);
    SCOPED_TRACE("SIGTERM after " + std::to_string(job.sigtermAfter) + " s");
    ASSERT_NE(run.status, -1) << "the job hung";
    if (run.status == 128 + SIGTERM) {
      // Before the handler is in place the default action ends the process;
      // nothing may have been printed by then.
      ++killedBeforeHandler;
      EXPECT_TRUE(run.out.empty());
      EXPECT_EQ(run.err.find("PAGE:"), std::string::npos);
      continue;
    }
    const int frames = frame.empty() ? 0 : static_cast<int>(run.out.size() / frame.size());
    ASSERT_LE(frames, kPages);
    ASSERT_TRUE(run.out == Repeat(frame, frames)) << "not whole frames: " << run.out.size() << " bytes";
    EXPECT_EQ(static_cast<int>(Count(run.err, "PAGE: ")), frames) << run.err;
    EXPECT_EQ(run.err.find("ERROR:"), std::string::npos) << run.err;
    EXPECT_EQ(run.status, frames > 0 ? 0 : 1);
    ++framesSeen[frames];
  }
  std::cout << "SIGTERM moments over " << whole.seconds * 1.1 << " s: " << killedBeforeHandler
            << " before the handler;";
  for (const auto& seen : framesSeen) std::cout << " " << seen.second << " with " << seen.first << " frames;";
  std::cout << "\n";
  EXPECT_LT(framesSeen[kPages], kMoments) << "no SIGTERM cut a job short";
}

}  // namespace
}  // namespace faults
