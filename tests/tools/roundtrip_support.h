// Round trips: test pages, the encoder run in-process or as the real filter
// program, and the preview holding the printed dots against the page.
#pragma once

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "preview/escp_interpreter.h"
#include "preview/page_compare.h"
#include "preview/raster_pages.h"

namespace roundtrip {

using escpreview::RasterPage;
using escpreview::Resolution;

// The resolutions the printer's PPD offers.
extern const Resolution kPpdResolutions[5];

RasterPage WhitePage(Resolution resolution, uint32_t width, uint32_t height);
void SetDot(RasterPage& page, uint32_t x, uint32_t y);

enum class Pattern { kBlank, kBlack, kText, kGrid, kOddRows, kBottomRight, kWhiteRuns, kTall };
extern const Pattern kPatterns[8];
const char* PatternName(Pattern pattern);
RasterPage MakePage(Pattern pattern, Resolution resolution, std::mt19937& rng);
// Random size (up to a few inches), density and content.
RasterPage RandomPage(Resolution resolution, std::mt19937& rng);

// The printer bytes of one page, framed as the filter frames it, from the
// printer library in this process.
std::vector<uint8_t> EncodeInProcess(const RasterPage& page);

struct Outcome {
  escpreview::RunResult run;
  std::vector<escpreview::PageComparison> pages;
  int32_t unmatchedPages = 0;
  bool identical() const;
  std::string Describe() const;
};

// Interprets `stream` on a 24-pin head, rendering page i at the resolution
// of raster page i, and compares.
Outcome InterpretAndCompare(const std::vector<uint8_t>& stream, const std::vector<RasterPage>& raster);

// A 1-bit black CUPS raster file (version 2) holding `pages`.
bool WriteRasterFile(const std::string& path, const std::vector<RasterPage>& pages);

// Runs a program with extra environment entries, standard input from
// /dev/null and standard output and error to files; its exit status, or -1
// when it could not start, died of a signal or ran past timeoutSeconds.
int RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
               const std::string& stdoutPath, const std::string& stderrPath, int timeoutSeconds);

std::vector<uint8_t> ReadFileBytes(const std::string& path);

// A fresh scratch directory, removed with its files when it goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  bool ok() const { return !path_.empty(); }

 private:
  std::string path_;
};

}  // namespace roundtrip

namespace escpreview {
// Readable names for parameterised test cases.
inline void PrintTo(const Resolution& r, std::ostream* os) {
  *os << r.x << "x" << r.y;
}
}  // namespace escpreview

namespace roundtrip {
inline void PrintTo(Pattern pattern, std::ostream* os) {
  *os << PatternName(pattern);
}
}  // namespace roundtrip
