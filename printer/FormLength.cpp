#include "printer/FormLength.h"

#include <cmath>
#include <cstdio>

namespace marvik::escp {

namespace {

// IPP gives media sizes in hundredths of a millimetre, and names them in
// inches to three decimals: neither can say a form of 3 2/3 in, which
// oe_form-3-2-3_8.5x3.667in is and libcups makes 93.14 mm (1320.09 units).
// The true length lies within half a thousandth of an inch (0.18 units) and
// half a hundredth of a millimetre (0.07 units) of the size given, and a
// whole number of lines there is taken for it.
constexpr double kLineTolerance = kFormUnitsPerInch / 2000.0 + kFormUnitsPerInch / 25.4 / 200;
// A float holds a length like 525.6 points as 525.599976: 2627.99988 units.
constexpr double kWholeUnitTolerance = 0.01;

double Rounded(double value) {
  return std::floor(value + 0.5);
}

}  // namespace

int64_t FormUnits(double units, int64_t form) {
  if (!std::isfinite(units) || units <= 0 || units > kMaxFormUnits || form < 1) {
    return 0;
  }
  const double lines = Rounded(units / kFormUnitsPerLine) * kFormUnitsPerLine;
  if (std::fabs(units - lines) <= kLineTolerance) {
    units = lines;
  } else if (std::fabs(units - Rounded(units)) < kWholeUnitTolerance) {
    units = Rounded(units);
  }
  // The paper moved by forms 1 to n is round(n x units): the error never
  // grows past half a unit, however long the job.
  const double form1 = static_cast<double>(form);
  return static_cast<int64_t>(Rounded(form1 * units) - Rounded((form1 - 1) * units));
}

std::string PageLengthText(int64_t units) {
  char text[32];
  if (units <= 0 || units > kMaxFormUnits) {
    return "";
  }
  if (units % kFormUnitsPerInch == 0 && units / kFormUnitsPerInch <= kMaxFormInches) {
    std::snprintf(text, sizeof text, "<1B>C<00%02X>", static_cast<unsigned>(units / kFormUnitsPerInch));
  } else if (units % kFormUnitsPerLine == 0 && units / kFormUnitsPerLine <= kMaxFormLines) {
    std::snprintf(text, sizeof text, "<1B>2<1B>C<%02X>", static_cast<unsigned>(units / kFormUnitsPerLine));
  } else {
    std::snprintf(text, sizeof text, "<1C>C<%02X%02X>", static_cast<unsigned>(units % 256),
                  static_cast<unsigned>(units / 256));
  }
  return text;
}

}  // namespace marvik::escp
