// One preview run's page handling: report each page, write its PNG, and
// hold it against the raster it came from when asked to.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/RasterPages.h"
#include "tools/preview/TextCompare.h"

namespace marvik::preview {

// Paper assumed for a preview without a raster: the image is at least this
// wide and, when no page length was set, this long.
constexpr double kDefaultPaperWidthInches = 8.5;
constexpr double kDefaultPaperLengthInches = static_cast<double>(kDefaultPageLength) / kUnitsPerInch;

struct SessionOptions {
  Resolution resolution;        // render resolution when not comparing
  std::string pngPrefix;        // PNG files PREFIX-N.png; empty for none
  std::string comparePath;      // CUPS raster to compare with; empty for none
  std::string compareTextPath;  // the text a text job printed; empty for none
  bool cutLongLines = false;    // the text's long lines were cut, not wrapped
  // Diameter of the dot a pin strikes, drawn round in the PNG pages; 0 draws
  // each dot as one pixel. Comparisons always use the dot grid.
  double dotDiameterMm = 0;
};

class PreviewSession : public PageSink {
 public:
  PreviewSession(SessionOptions options, std::ostream& out);

  // Opens the raster and reads the text when comparing.
  bool Open(std::string* error);
  bool PageResolution(int32_t pageNumber, Resolution* resolution) override;
  bool TakePage(const Page& page) override;
  // After the run: reports the raster pages that were never printed.
  void Finish();

  bool comparing() const { return !options_.comparePath.empty(); }
  // With a text to compare with, the comparison; null otherwise.
  const TextComparison* text() const { return text_.get(); }
  int64_t missing() const { return missing_; }
  int64_t extra() const { return extra_; }
  // Dots the impact emulation left out, all pages.
  int64_t dropped() const { return dropped_; }
  // Time on paper, all pages.
  const PrintTime& time() const { return time_; }
  // Pages printed without a raster page, or raster pages never printed.
  int32_t unmatchedPages() const { return unmatchedPages_; }
  bool identical() const { return missing_ == 0 && extra_ == 0 && unmatchedPages_ == 0; }
  // Why the session stopped the run; empty when it did not.
  const std::string& error() const { return error_; }

 private:
  bool WritePage(const Page& page);
  bool WriteDifference(const Page& page);

  SessionOptions options_;
  std::ostream& out_;
  RasterPages raster_;
  RasterPage pending_;
  bool havePending_ = false;
  bool rasterEnded_ = false;
  int32_t rasterPagesRead_ = 0;
  int64_t missing_ = 0;
  int64_t extra_ = 0;
  int64_t dropped_ = 0;
  PrintTime time_;
  std::unique_ptr<TextComparison> text_;
  int32_t unmatchedPages_ = 0;
  std::string error_;
};

}  // namespace marvik::preview
