// A job prints whatever state /tmp and the log path are in, and never writes
// through a planted link or into a file it does not own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "FaultPages.h"

namespace faults {
namespace {

constexpr const char* kLogName = "/marvikdotmatrix.log";
const std::string kPrecious = "precious contents of someone else's file\n";

struct LogCase {
  const char* name;
  TmpMode tmp;
  bool asNobody;
  void (*plant)(const std::string& tmp);
  void (*check)(const std::string& tmp);
};

void Nothing(const std::string&) {}

void ExpectThisJobLogged(const std::string& tmp) {
  const std::string log = ReadFile(tmp + kLogName);
  EXPECT_NE(log.find("DEBUG: StartPage..."), std::string::npos) << "the log of a healthy /tmp is written";
  EXPECT_EQ(log.find("STALE"), std::string::npos) << "the previous job's log is emptied";
}

void PlantStaleLog(const std::string& tmp) {
  WriteFile(tmp + kLogName, "STALE line\r\n");
}

void PlantLinkToFile(const std::string& tmp) {
  WriteFile(tmp + "/precious", kPrecious);
  ASSERT_EQ(::symlink("/tmp/precious", (tmp + kLogName).c_str()), 0);
}

void ExpectLinkAndTargetUntouched(const std::string& tmp) {
  EXPECT_EQ(ReadFile(tmp + "/precious"), kPrecious);
  struct stat st {};
  ASSERT_EQ(::lstat((tmp + kLogName).c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link is left in place";
}

// A second name of someone else's file: emptying or appending to the log
// would change that file.
void PlantHardLink(const std::string& tmp) {
  WriteFile(tmp + "/precious", kPrecious);
  ASSERT_EQ(::link((tmp + "/precious").c_str(), (tmp + kLogName).c_str()), 0);
}

void ExpectHardLinkedFileUntouched(const std::string& tmp) {
  EXPECT_EQ(ReadFile(tmp + "/precious"), kPrecious);
}

void PlantDanglingLink(const std::string& tmp) {
  ASSERT_EQ(::symlink("/tmp/made-through-link", (tmp + kLogName).c_str()), 0);
}

void ExpectNothingMadeThroughLink(const std::string& tmp) {
  EXPECT_NE(::access((tmp + "/made-through-link").c_str(), F_OK), 0)
      << "no file is created at a link's target";
}

void PlantDirectory(const std::string& tmp) {
  ASSERT_EQ(::mkdir((tmp + kLogName).c_str(), 0755), 0);
  WriteFile(tmp + kLogName + "/inside", kPrecious);
}

void ExpectDirectoryKept(const std::string& tmp) {
  EXPECT_EQ(ReadFile(tmp + kLogName + "/inside"), kPrecious);
}

void PlantFifo(const std::string& tmp) {
  ASSERT_EQ(::mkfifo((tmp + kLogName).c_str(), 0666), 0);
}

void PlantRootsLog(const std::string& tmp) {
  WriteFile(tmp + kLogName, kPrecious);
  ::chmod((tmp + kLogName).c_str(), 0644);
}

void ExpectRootsLogUntouched(const std::string& tmp) {
  EXPECT_EQ(ReadFile(tmp + kLogName), kPrecious);
}

void LockTmp(const std::string& tmp) {
  ::chmod(tmp.c_str(), 0555);
}

void ExpectNoLog(const std::string& tmp) {
  EXPECT_NE(::access((tmp + kLogName).c_str(), F_OK), 0);
  ::chmod(tmp.c_str(), 01777);  // let the sandbox clean up
}

const LogCase kLogCases[] = {
    {"healthy /tmp, stale log", TmpMode::kPrivate, false, PlantStaleLog, ExpectThisJobLogged},
    {"log path links to a file", TmpMode::kPrivate, false, PlantLinkToFile, ExpectLinkAndTargetUntouched},
    {"log path is a hard link", TmpMode::kPrivate, false, PlantHardLink, ExpectHardLinkedFileUntouched},
    {"log path links to nothing", TmpMode::kPrivate, false, PlantDanglingLink, ExpectNothingMadeThroughLink},
    {"log path is a directory", TmpMode::kPrivate, false, PlantDirectory, ExpectDirectoryKept},
    {"log path is a FIFO", TmpMode::kPrivate, false, PlantFifo, Nothing},
    {"log file is root's, job runs as nobody", TmpMode::kPrivate, true, PlantRootsLog,
     ExpectRootsLogUntouched},
    {"/tmp not writable for the job's user", TmpMode::kPrivate, true, LockTmp, ExpectNoLog},
    {"/tmp mounted read-only", TmpMode::kPrivateReadOnly, false, Nothing, ExpectNoLog},
};

TEST(LogFaults, EveryJobPrintsWhateverStateTheLogPathIsIn) {
  if (!Sandbox::PrivateTmpAvailable()) GTEST_SKIP() << "needs root and mount namespaces for a private /tmp";
  const Bytes stream = filtertest::MakeStream(InchPage(), 2);
  const Bytes expected = Repeat(FrameOf(InchPage(), InchPageStart()), 2);
  for (const LogCase& c : kLogCases) {
    SCOPED_TRACE(c.name);
    Sandbox sandbox;
    c.plant(sandbox.Tmp());
    Job job;
    job.input = stream;
    job.tmp = c.tmp;
    job.asNobody = c.asNobody;
    job.timeoutMs = 20000;
    const Outcome run = sandbox.Run(job);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "PAGE: 1 1\nPAGE: 2 1\n");
    EXPECT_EQ(run.out.size(), expected.size());
    EXPECT_TRUE(run.out == expected) << filtertest::ToHex(run.out);
    c.check(sandbox.Tmp());
  }
}

}  // namespace
}  // namespace faults
