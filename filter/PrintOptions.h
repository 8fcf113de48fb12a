// The job's choices among the printer options of the PPD, read once per job
// and handed to every page's printer model.
#pragma once

#include <cups/ppd.h>

#include "printer/DotMatrixPrinter.h"

namespace marvik::filter {

struct PrintOptions {
  enum class Direction { kPrinterDefault, kUnidirectional, kBidirectional };
  // "MarvikAdjacentDots" TwoPass: 360 dpi rows in two head passes.
  bool noAdjacentDots = false;
  // "MarvikPrintDirection" Default / Uni / Bi.
  Direction direction = Direction::kPrinterDefault;
};

// The marked choices of a PPD whose options are marked; an option the PPD
// lacks, or a choice it does not know, keeps its default.
PrintOptions ReadPrintOptions(ppd_file_t* ppd);

// Sets the options on one page's printer model, before its page is encoded.
// The printer default sends no direction command at all.
void ApplyPrintOptions(const PrintOptions& options, DotMatrixPrinter& printer);

}  // namespace marvik::filter
