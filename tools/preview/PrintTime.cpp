#include "tools/preview/PrintTime.h"

#include <algorithm>
#include <cstdlib>

#include "tools/preview/HeadModel.h"

namespace marvik::preview {

namespace {

double Inches(int64_t units) {
  return static_cast<double>(units) / kUnitsPerInch;
}

// Characters per second at 10 cpi are tenths of an inch per second.
constexpr double kInchesPerCharacterAt10Cpi = 0.1;

}  // namespace

double TextInchesPerSecond(bool letterQuality, bool heavy) {
  const double cps = letterQuality ? kPrintSpeeds.letterQualityCps : kPrintSpeeds.draftCps;
  return cps * kInchesPerCharacterAt10Cpi * (heavy ? kPrintSpeeds.heavyFactor : 1.0);
}

double ImageInchesPerSecond(int64_t columnPitch) {
  const double firing = kPrintSpeeds.pinHz * Inches(columnPitch);
  return std::min(firing, TextInchesPerSecond(false, false));
}

PrintTime& PrintTime::operator+=(const PrintTime& other) {
  passes += other.passes;
  printedInches += other.printedInches;
  movedInches += other.movedInches;
  fedInches += other.fedInches;
  seconds += other.seconds;
  return *this;
}

void HeadTravel::Print(int64_t from, int64_t to, double inchesPerSecond, bool inked) {
  if (to > from && inchesPerSecond > 0) pass_.push_back({from, to, inchesPerSecond, inked});
}

void HeadTravel::EndPass() {
  // Blanks at either end of a pass are never travelled over.
  size_t first = 0;
  size_t last = pass_.size();
  while (first < last && !pass_[first].inked) ++first;
  while (last > first && !pass_[last - 1].inked) --last;
  if (first == last) {
    pass_.clear();
    return;
  }
  const int64_t left = pass_[first].from;
  const int64_t right = pass_[last - 1].to;
  // Printing both ways, the printer starts from the nearer end.
  const bool backwards = !unidirectional_ && std::llabs(head_ - right) < std::llabs(head_ - left);
  int64_t slew = std::llabs(head_ - (backwards ? right : left));
  int64_t printed = 0;
  double seconds = kPrintSpeeds.passSeconds;
  for (size_t i = first; i < last; ++i) {
    const Stretch& stretch = pass_[i];
    if (i > first && stretch.from > pass_[i - 1].to) slew += stretch.from - pass_[i - 1].to;
    printed += stretch.to - stretch.from;
    seconds += Inches(stretch.to - stretch.from) / stretch.inchesPerSecond;
  }
  head_ = backwards ? left : right;
  pass_.clear();
  ++page_.passes;
  page_.printedInches += Inches(printed);
  page_.movedInches += Inches(slew);
  page_.seconds += seconds + Inches(slew) / kPrintSpeeds.slewInchesPerSecond;
}

void HeadTravel::Feed(int64_t units) {
  if (units <= 0) return;
  page_.fedInches += Inches(units);
  page_.seconds += kPrintSpeeds.feedStartSeconds + Inches(units) / kPrintSpeeds.feedInchesPerSecond;
}

void HeadTravel::FormFeed(int64_t units) {
  if (units <= 0) return;
  page_.fedInches += Inches(units);
  page_.seconds += kPrintSpeeds.feedStartSeconds + Inches(units) / kPrintSpeeds.formFeedInchesPerSecond;
}

PrintTime HeadTravel::TakePage() {
  EndPass();
  PrintTime page = page_;
  page_ = PrintTime{};
  return page;
}

}  // namespace marvik::preview
