#include "FaultRun.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace faults {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uid_t kNobody = 65534;
constexpr int kChildSetupFailed = 126;

// Writes all of `size` bytes; false once the reader has gone.
bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Feeds the job's input in chunks with its pauses and stalls, then closes
// the pipe so the filter sees the end of the stream.
void Feed(int fd, const Job& job) {
  std::vector<std::size_t> stalls = job.stallAt;
  std::sort(stalls.begin(), stalls.end());
  std::size_t done = 0;
  std::size_t nextStall = 0;
  int chunks = 0;
  const std::size_t chunk = std::max<std::size_t>(job.chunk, 1);
  while (done < job.input.size()) {
    std::size_t size = std::min(chunk, job.input.size() - done);
    if (nextStall < stalls.size() && stalls[nextStall] >= done) {
      size = std::min(size, stalls[nextStall] - done);
      if (size == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ++nextStall;
        continue;
      }
    }
    if (!WriteAll(fd, job.input.data() + done, size)) break;
    done += size;
    if (job.pauseEvery > 0 && ++chunks % job.pauseEvery == 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(job.pauseMicros));
    }
  }
  ::close(fd);
}

// Takes `keep` bytes from the pipe, then closes it: a backend that died.
void ReadThenLeave(int fd, std::size_t keep) {
  unsigned char buffer[4096];
  while (keep > 0) {
    const ssize_t n = ::read(fd, buffer, std::min(keep, sizeof buffer));
    if (n <= 0) break;
    keep -= static_cast<std::size_t>(n);
  }
  ::close(fd);
}

// Closes a descriptor when the run is over.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Everything the child needs, prepared before fork so that the child only
// makes system calls.
struct ChildPlan {
  std::vector<std::string> argStore;
  std::vector<std::string> envStore;
  std::vector<char*> argv;
  std::vector<char*> envp;
  int input = -1;
  int output = -1;  // -1: close descriptor 1
  int error = -1;
  int binary = -1;  // the filter program, opened before /tmp is replaced
  const char* tmpHost = nullptr;
  bool readOnly = false;
  bool scratch = false;
  bool asNobody = false;
};

[[noreturn]] void RunChild(const ChildPlan& plan) {
  if (plan.tmpHost != nullptr) {
    if (::unshare(CLONE_NEWNS) != 0) _exit(kChildSetupFailed);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) _exit(kChildSetupFailed);
    const int mounted = plan.scratch ? ::mount("marvik-tmp", "/tmp", "tmpfs", 0, "mode=1777")
                                     : ::mount(plan.tmpHost, "/tmp", nullptr, MS_BIND, nullptr);
    if (mounted != 0) _exit(kChildSetupFailed);
    if (plan.readOnly && ::mount(nullptr, "/tmp", nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
      _exit(kChildSetupFailed);
    }
  }
  if (plan.asNobody) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      _exit(kChildSetupFailed);
    }
  }
  ::dup2(plan.input, 0);
  if (plan.output >= 0) {
    ::dup2(plan.output, 1);
  } else {
    ::close(1);
  }
  ::dup2(plan.error, 2);
  ::signal(SIGPIPE, SIG_DFL);  // the filter must cope with a vanished reader by itself
  ::signal(SIGTERM, SIG_DFL);
  ::fexecve(plan.binary, plan.argv.data(), plan.envp.data());
  _exit(127);
}

void BuildCommand(ChildPlan& plan, const Job& job, const std::string& ppdPath) {
  plan.argStore = {MARVIK_FILTER_BINARY, "77", "tester", "fault job", "1", "media=Letter"};
  // The job's own entries replace inherited ones of the same name.
  std::vector<std::string> replaced = {"PPD="};
  for (const std::string& extra : job.env) replaced.push_back(extra.substr(0, extra.find('=') + 1));
  for (char** e = environ; *e != nullptr; ++e) {
    const bool keep = std::none_of(replaced.begin(), replaced.end(), [e](const std::string& name) {
      return std::strncmp(*e, name.c_str(), name.size()) == 0;
    });
    if (keep) plan.envStore.emplace_back(*e);
  }
  plan.envStore.emplace_back("PPD=" + ppdPath);
  for (const std::string& extra : job.env) plan.envStore.push_back(extra);
  for (std::string& a : plan.argStore) plan.argv.push_back(&a[0]);
  plan.argv.push_back(nullptr);
  for (std::string& e : plan.envStore) plan.envp.push_back(&e[0]);
  plan.envp.push_back(nullptr);
}

// Opens the descriptor the child gets as standard output; `parentEnd` is the
// read end of a pipe when the test reads or abandons it.
int OpenOutput(const Job& job, const std::string& file, int& parentEnd) {
  parentEnd = -1;
  switch (job.output) {
    case OutputMode::kFile:
      return ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    case OutputMode::kClosed:
      return -1;
    case OutputMode::kDevFull:
      return ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    case OutputMode::kDevNull:
      return ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    case OutputMode::kNoReader:
    case OutputMode::kReaderLeaves: {
      int fds[2];
      if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
      parentEnd = fds[0];
      return fds[1];
    }
  }
  return -1;
}

// The peak resident memory of the running filter, from the kernel's
// high-water mark of its address space; 0 before the program is executed
// (until then the child is a copy of this test and its memory).
long PeakRssKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  bool isFilter = false;
  while (std::getline(status, line)) {
    if (line.rfind("Name:", 0) == 0) isFilter = line.find("rastertomarvik") != std::string::npos;
    if (line.rfind("VmHWM:", 0) == 0) return isFilter ? std::atol(line.c_str() + 6) : 0;
  }
  return 0;
}

// Waits for the child, sending the SIGTERM on time, sampling its peak
// memory and killing a hung one. The exit status of a wait cannot carry the
// peak: the kernel counts the memory of this test, which the child was a
// copy of before it ran the filter.
int Reap(pid_t pid, const Job& job, Clock::time_point start, long& peakRssKb) {
  const auto deadline = start + std::chrono::milliseconds(job.timeoutMs);
  const auto termAt = start + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(std::max(job.sigtermAfter, 0.0)));
  bool termSent = job.sigtermAfter < 0;
  for (;;) {
    int status = 0;
    if (job.samplePeakRss) peakRssKb = std::max(peakRssKb, PeakRssKb(pid));
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    const auto now = Clock::now();
    if (!termSent && now >= termAt) {
      ::kill(pid, SIGTERM);
      termSent = true;
    }
    if (now >= deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(termSent ? 500 : 100));
  }
}

}  // namespace

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) {
    ++count;
  }
  return count;
}

Sandbox::Sandbox() {
  char dir[] = "/tmp/marvik-faults-XXXXXX";
  if (::mkdtemp(dir) != nullptr) dir_ = dir;
  ::chmod(dir_.c_str(), 0711);  // an unprivileged filter must reach nothing here but its own /tmp
  tmp_ = dir_ + "/tmp";
  ::mkdir(tmp_.c_str(), 01777);
  ::chmod(tmp_.c_str(), 01777);
}

Sandbox::~Sandbox() {
  if (dir_.empty()) return;
  const std::string command = "rm -rf '" + dir_ + "'";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", dir_.c_str());
}

bool Sandbox::PrivateTmpAvailable() {
  static const bool available = [] {
    if (::geteuid() != 0) return false;
    const pid_t pid = ::fork();
    if (pid == 0) _exit(::unshare(CLONE_NEWNS) == 0 ? 0 : 1);
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }();
  return available;
}

Outcome Sandbox::Run(const Job& job) const {
  Outcome outcome;
  ::signal(SIGPIPE, SIG_IGN);  // feeding a filter that has stopped reading must not end the test
  ChildPlan plan;
  // The filter and its PPD may lie under /tmp (a build folder there), which
  // the child's private /tmp hides: it gets them as descriptors opened now.
  // The PPD's stays open across exec, and the filter reads it by its
  // /proc/self/fd name.
  const FileDescriptor binary(::open(MARVIK_FILTER_BINARY, O_RDONLY | O_CLOEXEC));
  const FileDescriptor ppd(::open(MARVIK_TEST_PPD, O_RDONLY));
  if (binary.get() < 0 || ppd.get() < 0) return outcome;
  plan.binary = binary.get();
  BuildCommand(plan, job, "/proc/self/fd/" + std::to_string(ppd.get()));
  plan.tmpHost = job.tmp == TmpMode::kShared ? nullptr : tmp_.c_str();
  plan.readOnly = job.tmp == TmpMode::kPrivateReadOnly;
  plan.scratch = job.tmp == TmpMode::kScratch;
  plan.asNobody = job.asNobody;

  const std::string outPath = dir_ + "/stdout";
  const std::string errPath = dir_ + "/stderr";
  int inputPipe[2];
  if (::pipe2(inputPipe, O_CLOEXEC) != 0) return outcome;
  int outputReader = -1;
  plan.input = inputPipe[0];
  plan.output = OpenOutput(job, outPath, outputReader);
  plan.error = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);

  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) RunChild(plan);
  ::close(inputPipe[0]);
  if (plan.output >= 0) ::close(plan.output);
  ::close(plan.error);
  if (job.output == OutputMode::kNoReader && outputReader >= 0) {
    ::close(outputReader);
    outputReader = -1;
  }
  if (pid < 0) {
    ::close(inputPipe[1]);
    if (outputReader >= 0) ::close(outputReader);
    return outcome;
  }
  outcome.started = true;
  std::thread feeder(Feed, inputPipe[1], std::cref(job));
  std::thread reader;
  if (outputReader >= 0) reader = std::thread(ReadThenLeave, outputReader, job.readerKeeps);

  outcome.status = Reap(pid, job, start, outcome.peakRssKb);
  outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  feeder.join();
  if (reader.joinable()) reader.join();
  if (job.output == OutputMode::kFile) {
    const std::string out = ReadFile(outPath);
    outcome.out.assign(out.begin(), out.end());
  }
  outcome.err = ReadFile(errPath);
  return outcome;
}

}  // namespace faults
