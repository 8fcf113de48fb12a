#include "tests/filter/FilterTestSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <tuple>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/PageCompare.h"

extern char** environ;

namespace marvik::test {
namespace {

// Holds every printed page against the raster page it was made from.
struct Judge : preview::PageSink {
  explicit Judge(const std::vector<PageSpec>& expected) : pages(expected) {}
  bool PageResolution(int32_t number, preview::Resolution* resolution) override {
    if (number > static_cast<int32_t>(pages.size())) return false;
    const PageSpec& page = pages[static_cast<std::size_t>(number - 1)];
    *resolution = {static_cast<int32_t>(page.xdpi), static_cast<int32_t>(page.ydpi)};
    return true;
  }
  bool TakePage(const preview::Page& printed) override {
    PageSpec black = pages[static_cast<std::size_t>(printed.number - 1)];
    black.bitsPerColor = 1;
    black.colorSpace = CUPS_CSPACE_K;
    const cups_page_header2_t h = raster::LayoutHeader(black);
    const preview::Resolution dpi{static_cast<int32_t>(h.HWResolution[0]),
                                  static_cast<int32_t>(h.HWResolution[1])};
    const preview::RasterPage want{dpi, h.cupsWidth, h.cupsHeight, h.cupsBytesPerLine,
                                   raster::RenderPage(h, black)};
    const preview::PageComparison dots = preview::ComparePage(*printed.canvas, want);
    const std::string page = "page " + std::to_string(printed.number) + ": ";
    if (!dots.identical()) faults += page + std::to_string(dots.missing + dots.extra) + " dots differ; ";
    if (!printed.endedByFormFeed) faults += page + "no form feed; ";
    if (!printed.lengthSetOnPage || printed.length.units != 200 * int64_t{black.heightPoints}) {
      faults += page + "page length " + preview::DescribePageLength(printed.length) + "; ";
    }
    return true;
  }
  const std::vector<PageSpec>& pages;
  std::string faults;
};

// Gives this (child) process its own /tmp: `host` bound there, or an empty
// tmpfs when null. False when that cannot be had.
bool PrivateTmp(const char* host) {
  return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount(host ? host : "t", "/tmp", host ? nullptr : "tmpfs", host ? MS_BIND : 0, nullptr) == 0;
}

}  // namespace

PageSpec Page(unsigned widthPoints, unsigned heightPoints, raster::Pattern pattern, unsigned xdpi,
              unsigned ydpi, const std::string& overrides) {
  PageSpec page;
  std::tie(page.widthPoints, page.heightPoints, page.pattern, page.xdpi, page.ydpi) =
      std::tie(widthPoints, heightPoints, pattern, xdpi, ydpi);
  std::istringstream in(overrides);
  for (std::string pair; in >> pair;)
    page.overrides.emplace_back(pair.substr(0, pair.find('=')), pair.substr(pair.find('=') + 1));
  return page;
}

Bytes Stream(const std::vector<PageSpec>& pages, long long cutBytes, int version) {
  raster::StreamSpec request;
  request.version = version;
  request.rawHeader = version == 3;  // headers libcups would mend go out as given
  request.pages = pages;
  request.cutBytes = cutBytes;
  Bytes out;
  std::string error;
  EXPECT_TRUE(raster::BuildRasterStream(request, out, error)) << error;
  return out;
}

::testing::AssertionResult PrintsPages(const Bytes& out, const std::vector<PageSpec>& pages) {
  Judge judge(pages);
  const preview::RunResult run = preview::Interpret(out.data(), out.size(), {}, judge);
  if (!run.ok()) return ::testing::AssertionFailure() << "at byte " << run.offset << ": " << run.message;
  if (run.pages != static_cast<int32_t>(pages.size())) judge.faults += std::to_string(run.pages) + " pages; ";
  if (run.trailingCommands != 0) judge.faults += "commands after the last page; ";
  if (judge.faults.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << judge.faults;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

Sandbox::Sandbox() {
  char dir[] = "/tmp/marvik-filter-XXXXXX";
  dir_ = ::mkdtemp(dir) ? dir : "/nonexistent";
  tmp_ = dir_ + "/tmp";
  ::chmod(dir_.c_str(), 0711);  // an unprivileged filter reaches nothing here but its own /tmp
  ::mkdir(tmp_.c_str(), 0);
  ::chmod(tmp_.c_str(), 01777);
  ::mkdir((tmp_ + "/cups").c_str(), 0755);
}

Sandbox::~Sandbox() {
  if (std::system(("chmod -R u+rwx '" + dir_ + "'; rm -rf '" + dir_ + "'").c_str()) != 0)
    ADD_FAILURE() << dir_;
}

std::string Sandbox::WhyNoPrivateTmp() {
  static const std::string why = [] {
    if (::geteuid() != 0) return "a private /tmp needs root";
    const pid_t pid = ::fork();
    if (pid == 0) _exit(PrivateTmp(nullptr) ? 0 : 1);
    int status = 0;
    const bool ok =
        pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return ok ? "" : "no private /tmp: unshare -m and a mount over /tmp fail here (a chroot?)";
  }();
  return why;
}

std::string Sandbox::LogPath() const {
  return (WhyNoPrivateTmp().empty() ? tmp_ : std::string("/tmp")) + "/marvikdotmatrix.log";
}

Result Sandbox::Run(const Job& job) const {
  const bool privateTmp = job.tmp != TmpMode::kAny || WhyNoPrivateTmp().empty();
  // The filter and its PPD may lie under /tmp, which a private /tmp hides:
  // the child gets them as descriptors, the PPD by its /proc/self/fd name.
  const int binary = ::open(job.program.c_str(), O_RDONLY | O_CLOEXEC), ppd = ::open(MARVIK_PPD, O_RDONLY);
  const std::string inPath = dir_ + "/stdin", outPath = dir_ + "/stdout", errPath = dir_ + "/stderr";
  WriteFile(inPath, std::string(job.input.begin(), job.input.end()));
  int feed[2] = {-1, -1};
  if (job.sigtermFirst && ::pipe2(feed, O_CLOEXEC) != 0) return Result{};
  const int file = ::open(inPath.c_str(), O_RDONLY),
            input = job.sigtermFirst
                        ? feed[0]
                        : ::open(job.inputAsFile ? "/dev/null" : inPath.c_str(), O_RDONLY | O_CLOEXEC);
  int output = -1, reader[2] = {-1, -1};
  if (job.output == OutputMode::kFile)
    output = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (job.output == OutputMode::kDevFull) output = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (job.output == OutputMode::kNoReader && ::pipe2(reader, O_CLOEXEC) == 0)
    output = reader[1], ::close(reader[0]);
  const int error = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);

  // Everything the child needs is made now: after fork it only makes system calls.
  std::vector<std::string> args = {job.program.substr(job.program.rfind('/') + 1)}, env;
  args.insert(args.end(), job.args.begin(), job.args.end());
  if (job.inputAsFile) args.push_back("/proc/self/fd/" + std::to_string(file));
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "PPD=", 4) != 0 && std::strncmp(*e, "CUPS_SERVERROOT=", 16) != 0)
      env.emplace_back(*e);
  }
  // Log settings from the sandbox only, never from the machine's /etc/cups.
  env.push_back("CUPS_SERVERROOT=" + (privateTmp ? std::string("/tmp") : tmp_) + "/cups");
  if (job.ppd)
    env.push_back("PPD=" + (job.ppdPath.empty() ? "/proc/self/fd/" + std::to_string(ppd) : job.ppdPath));
  std::vector<char*> argv{nullptr}, envp{nullptr};
  for (std::string& a : args) argv.insert(argv.end() - 1, &a[0]);
  for (std::string& e : env) envp.insert(envp.end() - 1, &e[0]);

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (privateTmp && !PrivateTmp(tmp_.c_str())) _exit(126);
    if (job.asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
      _exit(126);
    ::dup2(input, 0);
    output >= 0 ? ::dup2(output, 1) : ::close(1);
    ::dup2(error, 2);
    ::signal(SIGPIPE, SIG_DFL);  // the filter must cope with a vanished reader itself
    ::umask(077);                // the filter sets the mask its log is made with itself
    ::fexecve(binary, argv.data(), envp.data());
    _exit(127);
  }
  for (int fd : {binary, ppd, file, input, output, error}) ::close(fd);
  if (job.sigtermFirst) {  // the writer's announcement comes after main installed its handler
    for (int i = 0; i < 10000 && ReadFile(LogPath()).find("thread started") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ::kill(pid, SIGTERM);
    if (::write(feed[1], job.input.data(), job.input.size()) < 0) ADD_FAILURE() << "feeding the filter";
    ::close(feed[1]);
  }
  Result result;
  int status = 0, polls = 0;  // every 2 ms for at most 20 s
  while (::waitpid(pid, &status, WNOHANG) == 0 && ++polls < 10000)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  if (polls == 10000) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  } else {
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::string out = job.output == OutputMode::kFile ? ReadFile(outPath) : "";
  result.out.assign(out.begin(), out.end());
  result.err = ReadFile(errPath);
  return result;
}

}  // namespace marvik::test
