// Runs the filter program under injected faults: a private or read-only
// /tmp, an unprivileged user, standard output closed or without a reader,
// input that trickles in, and a SIGTERM at a chosen moment. Each run reports
// its exit status, what it wrote and its peak memory.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace faults {

using Bytes = std::vector<unsigned char>;

// What the filter sees as /tmp.
enum class TmpMode {
  kShared,           // the machine's /tmp
  kPrivate,          // the sandbox's own folder, mounted over /tmp for this run only
  kPrivateReadOnly,  // the same folder, read-only
  kScratch,          // an empty tmpfs of its own, gone with the run
};

// Where standard output goes.
enum class OutputMode {
  kFile,          // a scratch file the test reads afterwards
  kClosed,        // descriptor 1 closed
  kNoReader,      // a pipe whose read end is closed before the start
  kReaderLeaves,  // a pipe whose reader takes `readerKeeps` bytes and goes
  kDevFull,       // every write fails with ENOSPC
  kDevNull,       // every byte is accepted and dropped
};

struct Job {
  Bytes input;                       // the raster stream, fed through a pipe
  std::size_t chunk = 64 * 1024;     // bytes per write to the pipe
  int pauseEvery = 0;                // > 0: pause after this many chunks
  int pauseMicros = 0;               // length of that pause
  std::vector<std::size_t> stallAt;  // input offsets where feeding stalls 200 ms
  OutputMode output = OutputMode::kFile;
  std::size_t readerKeeps = 0;
  TmpMode tmp = TmpMode::kShared;
  bool asNobody = false;         // drop to uid/gid 65534 before the start
  double sigtermAfter = -1;      // >= 0: seconds from the start to a SIGTERM
  std::vector<std::string> env;  // extra NAME=VALUE entries
  bool samplePeakRss = false;    // follow the filter's peak memory
  int timeoutMs = 30000;         // longer than this counts as a hang
};

struct Outcome {
  bool started = false;
  int status = -1;     // exit status, 128 + signal number, or -1 for a hang
  Bytes out;           // standard output (kFile only)
  std::string err;     // standard error
  long peakRssKb = 0;  // when sampled: the last high-water mark seen before the exit
  double seconds = 0;
};

class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  // The folder that is /tmp for runs with a private /tmp.
  const std::string& Tmp() const { return tmp_; }
  // Whether this process may give a child its own /tmp (root, mount
  // namespaces allowed).
  static bool PrivateTmpAvailable();
  // A /tmp in memory when available: every log line is synced to disk, and
  // a disk-backed /tmp would make long jobs take minutes.
  static TmpMode FastTmp() { return PrivateTmpAvailable() ? TmpMode::kScratch : TmpMode::kShared; }

  Outcome Run(const Job& job) const;

 private:
  std::string dir_;
  std::string tmp_;
};

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& text);
std::size_t Count(const std::string& text, const std::string& what);

}  // namespace faults
