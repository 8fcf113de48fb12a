// The job's printer options: a plain struct every front end fills, and the
// one vocabulary that names them, in the PPD for CUPS and over IPP for the
// printer application.
#pragma once

#include <cstddef>

#include "printer/DotMatrixPrinter.h"

namespace marvik::page {

struct PrintOptions {
  enum class Direction { kPrinterDefault, kUnidirectional, kBidirectional };
  // 360 dpi rows in two head passes, for heads that cannot fire a pin in two
  // adjacent columns.
  bool noAdjacentDots = false;
  Direction direction = Direction::kPrinterDefault;
  // The job's form length in points with its fraction, where the front end
  // knows it from the job's media (IPP's, in hundredths of a millimetre); 0
  // where it does not. PWG raster keeps whole points only (PageSize): a
  // custom 100 mm form, 283.46 points, would fall 0.46 short each form.
  double formLength = 0;
};

// One choice of an option: its keyword in the PPD and over IPP, what a user
// reads, and what it sets.
struct OptionChoice {
  const char* ppdKeyword;
  const char* ippKeyword;
  const char* label;
  void (*choose)(PrintOptions& options);
};

constexpr std::size_t kMaxChoices = 3;

// One printer option; its first choice is the default and sends nothing.
struct PrintOption {
  const char* ppdName;
  const char* ippName;
  const char* label;
  OptionChoice choices[kMaxChoices];
  std::size_t count;
};

extern const PrintOption kPrintOptions[2];

enum class Vocabulary { kPpd, kIpp };

// Sets `option` to its choice named `keyword` in `vocabulary`; false, and
// nothing changed, when the option has no such choice.
bool ChooseOption(PrintOptions& options, const PrintOption& option, const char* keyword,
                  Vocabulary vocabulary);

// Sets the options on one page's printer model, before its page is encoded.
// The printer default sends no direction command at all.
void ApplyPrintOptions(const PrintOptions& options, DotMatrixPrinter& printer);

}  // namespace marvik::page
