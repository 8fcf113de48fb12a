// Helpers of the filter tests: raster streams from the one raster writer, the
// preview interpreter as the judge of the printer bytes, and the runner of the
// filter program as CUPS runs it, under faults only a process meets.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/printer/HexBytes.h"
#include "tools/mkraster/RasterWriter.h"

namespace marvik::test {

using raster::PageSpec;

// `overrides`: "field=value ..." (see raster::ApplyOverride).
PageSpec Page(unsigned widthPoints, unsigned heightPoints,
              raster::Pattern pattern = raster::Pattern::kStripes, unsigned xdpi = 180, unsigned ydpi = 180,
              const std::string& overrides = "");

// Headers as given, `cutBytes` short of the end; version 3 plain, 2 compressed.
Bytes Stream(const std::vector<PageSpec>& pages, long long cutBytes = 0, int version = 3);

// Whether a printer prints `out` as `pages`, dot for dot, each ended by a form
// feed with its height as page length, and nothing after the last but ESC @.
::testing::AssertionResult PrintsPages(const Bytes& out, const std::vector<PageSpec>& pages);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

enum class TmpMode { kAny, kPrivate };  // kAny: private when it can be had
enum class OutputMode { kFile, kDevFull, kNoReader, kClosed };

struct Job {
  std::string program = MARVIK_FILTER_BINARY;  // or MARVIK_TEXT_FILTER_BINARY
  std::vector<std::string> args = {"42", "tester", "title", "1", "media=A4 Resolution=180dpi"};
  bool inputAsFile = false;  // the raster as argument 6 instead of on standard input
  bool ppd = true;           // false: PPD unset
  std::string ppdPath;       // empty: the built PPD
  Bytes input = Stream({Page(72, 72)});
  OutputMode output = OutputMode::kFile;
  TmpMode tmp = TmpMode::kAny;
  bool asNobody = false;
  bool sigtermFirst = false;  // SIGTERM once the log has started, then the input
};

struct Result {
  int status = -1;  // exit status, 128 + signal, or -1 for a hang
  Bytes out;
  std::string err;
  double seconds = 0;
};

class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  static std::string WhyNoPrivateTmp();            // empty when a child can get its own /tmp
  const std::string& Tmp() const { return tmp_; }  // /tmp of runs with a private one
  std::string LogPath() const;                     // the job log of a run with TmpMode::kAny, seen from here
  // The runs' $CUPS_SERVERROOT is the sandbox's, never the machine's /etc/cups.
  std::string SettingsFile() const { return tmp_ + "/cups/rastertomarvik.conf"; }
  Result Run(const Job& job) const;

 private:
  std::string dir_, tmp_;
};

}  // namespace marvik::test
