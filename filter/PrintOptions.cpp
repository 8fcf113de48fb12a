#include "filter/PrintOptions.h"

#include <cstring>

namespace marvik::filter {

namespace {

// Keywords of ppd/marvik.drv.
constexpr const char* kAdjacentDotsOption = "MarvikAdjacentDots";
constexpr const char* kTwoPassChoice = "TwoPass";
constexpr const char* kDirectionOption = "MarvikPrintDirection";
constexpr const char* kUniChoice = "Uni";
constexpr const char* kBiChoice = "Bi";

bool Marked(ppd_file_t* ppd, const char* option, const char* choice) {
  const ppd_choice_t* marked = ppdFindMarkedChoice(ppd, option);
  return marked != nullptr && std::strcmp(marked->choice, choice) == 0;
}

}  // namespace

PrintOptions ReadPrintOptions(ppd_file_t* ppd) {
  PrintOptions options;
  if (ppd == nullptr) return options;
  options.noAdjacentDots = Marked(ppd, kAdjacentDotsOption, kTwoPassChoice);
  if (Marked(ppd, kDirectionOption, kUniChoice)) {
    options.direction = PrintOptions::Direction::kUnidirectional;
  } else if (Marked(ppd, kDirectionOption, kBiChoice)) {
    options.direction = PrintOptions::Direction::kBidirectional;
  }
  return options;
}

void ApplyPrintOptions(const PrintOptions& options, DotMatrixPrinter& printer) {
  printer.SetNoAdjacentDots(options.noAdjacentDots);
  if (options.direction != PrintOptions::Direction::kPrinterDefault) {
    printer.SetUniDirection(options.direction == PrintOptions::Direction::kUnidirectional);
  }
}

}  // namespace marvik::filter
