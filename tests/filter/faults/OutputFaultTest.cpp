// A job whose bytes cannot reach the printer fails: an "ERROR:" line naming
// the cause, status 1, and no hang, however the output is broken.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "FaultPages.h"

namespace faults {
namespace {

// Solid black, full Letter width, 2 inches: about 70 KB of graphics per
// page, so six pages overflow any pipe buffer.
marvik::raster::PageSpec WideBlackPage() {
  return PatternPage(612, 144, marvik::raster::Pattern::kBlack);
}

struct OutputCase {
  const char* name;
  OutputMode output;
  std::size_t readerKeeps;
  int error;  // errno whose text the ERROR: line carries
};

const OutputCase kOutputCases[] = {
    {"standard output closed", OutputMode::kClosed, 0, EBADF},
    {"pipe reader gone before the start", OutputMode::kNoReader, 0, EPIPE},
    {"pipe reader leaves after 1000 bytes", OutputMode::kReaderLeaves, 1000, EPIPE},
    {"pipe reader leaves after 100000 bytes", OutputMode::kReaderLeaves, 100000, EPIPE},
    {"device full", OutputMode::kDevFull, 0, ENOSPC},
};

TEST(OutputFaults, AJobThatCannotBeDeliveredFailsWithAReason) {
  const Bytes stream = filtertest::MakeStream(WideBlackPage(), 6);
  Sandbox sandbox;
  for (const OutputCase& c : kOutputCases) {
    SCOPED_TRACE(c.name);
    Job job;
    job.input = stream;
    job.output = c.output;
    job.readerKeeps = c.readerKeeps;
    job.tmp = Sandbox::FastTmp();
    job.timeoutMs = 20000;
    const Outcome run = sandbox.Run(job);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.status, 1) << "-1 is a hang, 141 death by SIGPIPE; stderr: " << run.err;
    EXPECT_EQ(Count(run.err, "ERROR:"), 1u) << run.err;
    EXPECT_NE(run.err.find(std::strerror(c.error)), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("PAGE: 7"), std::string::npos);
  }
}

TEST(OutputFaults, ADiscardingOutputIsNoFailure) {
  Sandbox sandbox;
  Job job;
  job.input = filtertest::MakeStream(WideBlackPage(), 6);
  job.output = OutputMode::kDevNull;
  job.tmp = Sandbox::FastTmp();
  const Outcome run = sandbox.Run(job);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Count(run.err, "PAGE: "), 6u);
  EXPECT_EQ(run.err.find("ERROR:"), std::string::npos);
}

}  // namespace
}  // namespace faults
