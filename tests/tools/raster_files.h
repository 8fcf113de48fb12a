// Scratch files, CUPS raster files and child processes for the tool tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/preview/RasterPages.h"

namespace roundtrip {

using marvik::preview::RasterPage;
using marvik::preview::Resolution;

RasterPage WhitePage(Resolution resolution, uint32_t width, uint32_t height);
void SetDot(RasterPage& page, uint32_t x, uint32_t y);

// A 1-bit black CUPS raster file (version 2) holding `pages`.
bool WriteRasterFile(const std::string& path, const std::vector<RasterPage>& pages);
// The same with a chosen colour space and depth (bits per pixel), for
// pages the preview must refuse or invert.
bool WriteRasterFile(const std::string& path, const std::vector<RasterPage>& pages, unsigned colorSpace,
                     unsigned bitsPerPixel);

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
