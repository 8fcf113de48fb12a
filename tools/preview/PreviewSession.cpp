#include "tools/preview/PreviewSession.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "tools/preview/InputFile.h"
#include "tools/preview/PageCompare.h"
#include "tools/preview/PageReport.h"
#include "tools/preview/PngWriter.h"

namespace marvik::preview {

PreviewSession::PreviewSession(SessionOptions options, std::ostream& out)
    : options_(std::move(options)), out_(out) {}

bool PreviewSession::Open(std::string* error) {
  if (!options_.compareTextPath.empty()) {
    std::vector<uint8_t> bytes;
    if (!ReadInput(options_.compareTextPath, kMaxTextBytes, &bytes, error)) return false;
    text_ = std::make_unique<TextComparison>(LayOutText(DecodeText(bytes.data(), bytes.size())),
                                             options_.cutLongLines);
  }
  if (!comparing()) return true;
  return raster_.Open(options_.comparePath, error);
}

bool PreviewSession::PageResolution(int32_t, Resolution* resolution) {
  *resolution = options_.resolution;
  havePending_ = false;
  if (!comparing() || rasterEnded_) return true;
  std::string problem;
  switch (raster_.Next(&pending_, &problem)) {
    case RasterPages::Read::kPage:
      ++rasterPagesRead_;
      havePending_ = true;
      *resolution = pending_.resolution;
      return true;
    case RasterPages::Read::kEnd:
      rasterEnded_ = true;
      return true;
    case RasterPages::Read::kError:
      break;
  }
  error_ = options_.comparePath + ", page " + std::to_string(rasterPagesRead_ + 1) + ": " + problem;
  return false;
}

bool PreviewSession::TakePage(const Page& page) {
  out_ << DescribePage(page);
  dropped_ += page.droppedDots;
  time_ += page.time;
  if (text_ && page.characters != nullptr) text_->AddPage(page.number, *page.characters);
  if (comparing()) {
    if (havePending_) {
      PageComparison comparison = ComparePage(*page.canvas, pending_);
      out_ << DescribeComparison(rasterPagesRead_, pending_, comparison);
      missing_ += comparison.missing;
      extra_ += comparison.extra;
      if (!comparison.identical() && !WriteDifference(page)) return false;
    } else {
      out_ << "  no raster page to compare with: " << page.canvas->dots() << " extra dots\n";
      extra_ += page.canvas->dots();
      ++unmatchedPages_;
    }
  }
  bool written = WritePage(page);
  havePending_ = false;
  return written;
}

bool PreviewSession::WritePage(const Page& page) {
  if (options_.pngPrefix.empty()) return true;
  const DotCanvas& canvas = *page.canvas;
  Resolution r = canvas.resolution();
  int64_t width = 0;
  int64_t height = 0;
  if (havePending_) {
    width = pending_.width;
    height = pending_.height;
  } else {
    width = static_cast<int64_t>(std::lround(kDefaultPaperWidthInches * r.x));
    double length = page.length.form == PageLength::Form::kNotSet
                        ? kDefaultPaperLengthInches
                        : static_cast<double>(page.length.units) / kUnitsPerInch;
    height = static_cast<int64_t>(std::lround(length * r.y));
  }
  // Dots beyond the paper still show, on a larger image.
  if (!canvas.empty()) {
    width = std::max(width, canvas.maxX() + 1);
    height = std::max(height, canvas.maxY() + 1);
  }
  std::string path = options_.pngPrefix + "-" + std::to_string(page.number) + ".png";
  std::string problem;
  if (!WritePng(path, canvas, std::max<int64_t>(width, 1), std::max<int64_t>(height, 1), &problem,
                options_.dotDiameterMm)) {
    error_ = problem;
    return false;
  }
  out_ << "  wrote " << path << "\n";
  return true;
}

bool PreviewSession::WriteDifference(const Page& page) {
  if (options_.pngPrefix.empty()) return true;
  std::string path = options_.pngPrefix + "-" + std::to_string(page.number) + "-diff.png";
  std::string problem;
  if (!WriteDifferencePng(path, *page.canvas, pending_, &problem)) {
    error_ = problem;
    return false;
  }
  out_ << "  wrote " << path << " (black: both, red: missing, blue: extra)\n";
  return true;
}

void PreviewSession::Finish() {
  if (text_) {
    text_->Finish();
    for (const std::string& difference : text_->described()) out_ << "  text differs: " << difference << "\n";
  }
  if (!comparing() || !error_.empty()) return;
  while (!rasterEnded_) {
    std::string problem;
    RasterPage page;
    RasterPages::Read read = raster_.Next(&page, &problem);
    if (read == RasterPages::Read::kEnd) break;
    ++rasterPagesRead_;
    if (read == RasterPages::Read::kError) {
      error_ = options_.comparePath + ", page " + std::to_string(rasterPagesRead_) + ": " + problem;
      return;
    }
    int64_t dots = CountDots(page);
    out_ << "raster page " << rasterPagesRead_ << " was not printed: " << dots << " missing dots\n";
    missing_ += dots;
    ++unmatchedPages_;
  }
  rasterEnded_ = true;
}

}  // namespace marvik::preview
