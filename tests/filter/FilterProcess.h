// Runs the filter program the way CUPS does: arguments, PPD in the
// environment, raster on standard input or in a file, printer bytes on
// standard output and status lines on standard error.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "FilterTestSupport.h"

namespace filtertest {

// The job log every run of the program shares.
constexpr const char* kJobLog = "/tmp/marvikdotmatrix.log";

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const Bytes& bytes);

class FilterProcess {
 public:
  struct Options {
    std::vector<std::string> args;  // after the program name
    bool setPpd = true;
    std::string ppd;         // defaults to the built PPD
    std::string stdoutPath;  // defaults to a scratch file
  };

  FilterProcess();
  ~FilterProcess();  // kills a program still running
  FilterProcess(const FilterProcess&) = delete;
  FilterProcess& operator=(const FilterProcess&) = delete;

  bool Start(const Options& options);
  // Feeds standard input; false once the program stopped reading.
  bool Feed(const Bytes& bytes);
  void CloseInput();
  // Waits (bounded) until standard error holds `text`.
  bool WaitForStderr(const std::string& text, int timeoutMs = 10000);
  // Waits (bounded) until the job log holds `text`.
  static bool WaitForLog(const std::string& text, int timeoutMs = 10000);
  void Signal(int signal);
  // Exit status, or -1 when the program did not end in time (it is killed).
  int Wait(int timeoutMs = 60000);

  Bytes Stdout() const;
  std::string Stderr() const;

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  std::string scratch_;
  std::string stdoutPath_;
  std::string stderrPath_;
};

// One complete run with `stdin` fed and closed.
struct RunResult {
  int status = -1;
  Bytes out;
  std::string err;
  double seconds = 0;
};
RunResult RunFilter(const FilterProcess::Options& options, const Bytes& stdin = {});

// The usual job arguments, with the raster file as argument 6 when given.
std::vector<std::string> JobArgs(const std::string& file = "");

}  // namespace filtertest
