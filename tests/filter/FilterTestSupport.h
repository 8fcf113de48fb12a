// Helpers of the filter tests: raster streams from the one raster writer,
// the preview interpreter as the judge of the printer bytes, and the one
// runner of the filter program as CUPS runs it (job arguments, PPD in the
// environment, raster on standard input) under the faults only a process
// meets: a private or read-only /tmp, an unprivileged user, a broken
// standard output and a SIGTERM at a chosen point.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/mkraster/RasterWriter.h"

namespace marvik::test {

using Bytes = std::vector<unsigned char>;
using raster::PageSpec;

// "1B 40 0D" -> {0x1B, 0x40, 0x0D}.
Bytes Hex(const std::string& text);

// A page at `xdpi` x `ydpi` with its header fields changed by `overrides`,
// "field=value field=value ..." (see raster::ApplyOverride).
PageSpec Page(unsigned widthPoints, unsigned heightPoints,
              raster::Pattern pattern = raster::Pattern::kStripes, unsigned xdpi = 180, unsigned ydpi = 180,
              const std::string& overrides = "");

// A stream of `pages` with their headers as given, `cutBytes` short of its
// end; version 3 is plain, 2 compressed.
Bytes Stream(const std::vector<PageSpec>& pages, long long cutBytes = 0, int version = 3);

// Success when `out` is what a printer prints for `pages`, dot for dot at
// their resolution: one page each, ended by a form feed, with the page
// length of the page's height, and nothing after the last page but ESC @.
::testing::AssertionResult PrintsPages(const Bytes& out, const std::vector<PageSpec>& pages);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

enum class TmpMode { kAny, kPrivate, kPrivateReadOnly };  // kAny: private when it can be had
enum class OutputMode { kFile, kDevFull, kNoReader, kClosed };
// kStart: once the handler is in place, only the sync word fed; kPageTwo:
// once "PAGE: 2" is out, half of page 2 fed (the input holds three equal pages).
enum class SigtermAt { kNever, kStart, kPageTwo };

struct Job {
  std::vector<std::string> args = {"42", "tester", "title", "1", "media=A4 Resolution=180dpi"};
  bool inputAsFile = false;  // the raster as argument 6 instead of on standard input
  bool ppd = true;           // false: PPD unset
  std::string ppdPath;       // empty: the built PPD
  Bytes input;
  OutputMode output = OutputMode::kFile;
  TmpMode tmp = TmpMode::kAny;
  bool asNobody = false;
  SigtermAt sigterm = SigtermAt::kNever;
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

  // Empty when a child can get its own /tmp (root, a mount namespace, / a
  // mount point), else why not.
  static std::string WhyNoPrivateTmp();
  // The folder that is /tmp for runs with a private one.
  const std::string& Tmp() const { return tmp_; }
  // The job log of a run with TmpMode::kAny, seen from here.
  std::string LogPath() const;
  // The administrator's log settings file in the runs' $CUPS_SERVERROOT, a
  // folder of the sandbox, seen from here; absent unless a test writes it.
  std::string SettingsFile() const { return tmp_ + "/cups/rastertomarvik.conf"; }
  Result Run(const Job& job) const;

 private:
  std::string dir_, tmp_;
};

}  // namespace marvik::test
