#include "text/TextGeometry.h"

#include <algorithm>
#include <cmath>

#include "printer/DotMatrixPrinter.h"

namespace marvik::text {

namespace {

// Points to the printer's 1/360 in, to the nearest unit; a negative margin is none.
double Units(double points) {
  return std::round(std::max(points, 0.0) * 5);
}

}  // namespace

GeometryResult ComputeGeometry(const TextOptions& options, TextGeometry& geometry) {
  if (!(options.formWidth > 0) || !(options.formLength > 0) ||
      options.formLength > DotMatrixPrinter::kMaxPageLengthPoints) {
    return GeometryResult::kBadForm;
  }
  const PitchInfo& pitch = InfoOf(options.pitch);
  const double left = std::ceil(Units(options.left) / pitch.baseWidth);
  const double right = std::min<double>(
      std::floor((Units(options.formWidth) - Units(options.right)) / pitch.baseWidth), kMaxMarginColumn);
  const double columns = std::floor((right - left) * pitch.baseWidth / pitch.charWidth);
  if (!(columns >= 1)) return GeometryResult::kNoColumns;

  const double topFeed = std::ceil(Units(options.top) / 2);
  const double lines = std::floor((Units(options.formLength) - 2 * topFeed - Units(options.bottom)) /
                                  InfoOf(options.spacing).lineHeight);
  if (!(lines >= 1)) return GeometryResult::kNoLines;

  geometry.columns = static_cast<int>(columns);
  geometry.linesPerForm = static_cast<int>(lines);
  geometry.leftColumn = static_cast<int>(left);
  geometry.rightColumn = static_cast<int>(right);
  geometry.topFeed = static_cast<int>(topFeed);
  geometry.formLengthPoints = options.formLength;
  return GeometryResult::kOk;
}

}  // namespace marvik::text
