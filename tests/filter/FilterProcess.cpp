#include "FilterProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace filtertest {
namespace {

using Clock = std::chrono::steady_clock;

bool WaitFor(const std::string& path, const std::string& text, int timeoutMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < end) {
    if (ReadFile(path).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::vector<std::string> JobArgs(const std::string& file) {
  std::vector<std::string> args = {"42", "tester", "title", "1", "media=A4 Resolution=180dpi"};
  if (!file.empty()) args.push_back(file);
  return args;
}

FilterProcess::FilterProcess() {
  signal(SIGPIPE, SIG_IGN);  // a filter that stops reading must not kill the test
  char dir[] = "/tmp/filtertest-run-XXXXXX";
  if (mkdtemp(dir) != nullptr) scratch_ = dir;
  stdoutPath_ = scratch_ + "/stdout";
  stderrPath_ = scratch_ + "/stderr";
}

FilterProcess::~FilterProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (input_ >= 0) close(input_);
  unlink((scratch_ + "/stdout").c_str());
  unlink(stderrPath_.c_str());
  rmdir(scratch_.c_str());
}

bool FilterProcess::Start(const Options& options) {
  if (!options.stdoutPath.empty()) stdoutPath_ = options.stdoutPath;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return false;
  const int outFd = open(stdoutPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int errFd = open(stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (outFd < 0 || errFd < 0) return false;
  std::vector<std::string> argv = {"rastertomarvik"};
  argv.insert(argv.end(), options.args.begin(), options.args.end());
  std::vector<char*> cargv;
  for (std::string& a : argv) cargv.push_back(&a[0]);
  cargv.push_back(nullptr);
  const std::string ppd = options.ppd.empty() ? MARVIK_TEST_PPD : options.ppd;

  pid_ = fork();
  if (pid_ == 0) {
    dup2(pipeFds[0], 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    close(pipeFds[0]);
    close(pipeFds[1]);
    signal(SIGPIPE, SIG_DFL);
    if (options.setPpd) {
      setenv("PPD", ppd.c_str(), 1);
    } else {
      unsetenv("PPD");
    }
    execv(MARVIK_FILTER_BINARY, cargv.data());
    _exit(127);
  }
  close(pipeFds[0]);
  close(outFd);
  close(errFd);
  input_ = pipeFds[1];
  return pid_ > 0;
}

bool FilterProcess::Feed(const Bytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(input_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void FilterProcess::CloseInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

bool FilterProcess::WaitForStderr(const std::string& text, int timeoutMs) {
  return WaitFor(stderrPath_, text, timeoutMs);
}

bool FilterProcess::WaitForLog(const std::string& text, int timeoutMs) {
  return WaitFor(kJobLog, text, timeoutMs);
}

void FilterProcess::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

int FilterProcess::Wait(int timeoutMs) {
  CloseInput();
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  while (pid_ > 0) {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (Clock::now() >= end) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return -1;
}

Bytes FilterProcess::Stdout() const {
  struct stat st {};
  if (stat(stdoutPath_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};  // e.g. /dev/full
  const std::string text = ReadFile(stdoutPath_);
  return Bytes(text.begin(), text.end());
}

std::string FilterProcess::Stderr() const {
  return ReadFile(stderrPath_);
}

RunResult RunFilter(const FilterProcess::Options& options, const Bytes& stdin) {
  RunResult result;
  FilterProcess process;
  const auto start = Clock::now();
  if (!process.Start(options)) return result;
  process.Feed(stdin);
  result.status = process.Wait();
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  result.out = process.Stdout();
  result.err = process.Stderr();
  return result;
}

}  // namespace filtertest
