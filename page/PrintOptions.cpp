#include "page/PrintOptions.h"

#include <cstring>

namespace marvik::page {

using Direction = PrintOptions::Direction;

// The PPD's keywords are those of ppd/marvik.drv.
const PrintOption kPrintOptions[2] = {
    {"MarvikAdjacentDots",
     "marvik-adjacent-dots",
     "Adjacent dots at 360 dpi",
     {{"OnePass", "one-pass", "One pass (the printer can)",
       [](PrintOptions& o) { o.noAdjacentDots = false; }},
      {"TwoPass", "two-passes", "Two passes (impact heads that cannot)",
       [](PrintOptions& o) { o.noAdjacentDots = true; }}},
     2},
    {"MarvikPrintDirection",
     "marvik-print-direction",
     "Print direction",
     {{"Default", "printer-default", "Printer default",
       [](PrintOptions& o) { o.direction = Direction::kPrinterDefault; }},
      {"Uni", "unidirectional", "Unidirectional (vertical lines aligned)",
       [](PrintOptions& o) { o.direction = Direction::kUnidirectional; }},
      {"Bi", "bidirectional", "Bidirectional (faster)",
       [](PrintOptions& o) { o.direction = Direction::kBidirectional; }}},
     3},
};

bool ChooseOption(PrintOptions& options, const PrintOption& option, const char* keyword,
                  Vocabulary vocabulary) {
  if (keyword == nullptr) return false;
  for (std::size_t i = 0; i < option.count; ++i) {
    const OptionChoice& choice = option.choices[i];
    if (std::strcmp(vocabulary == Vocabulary::kPpd ? choice.ppdKeyword : choice.ippKeyword, keyword) == 0) {
      choice.choose(options);
      return true;
    }
  }
  return false;
}

void ApplyPrintOptions(const PrintOptions& options, DotMatrixPrinter& printer) {
  printer.SetNoAdjacentDots(options.noAdjacentDots);
  if (options.direction != Direction::kPrinterDefault) {
    printer.SetUniDirection(options.direction == Direction::kUnidirectional);
  }
}

}  // namespace marvik::page
