// The job's printer options as the queue's PPD has them marked.
#pragma once

#include <cups/ppd.h>

#include "page/PrintOptions.h"

namespace marvik::filter {

// The marked choices of a PPD whose options are marked; an option the PPD
// lacks, or a choice it does not know, keeps its default.
page::PrintOptions ReadPrintOptions(ppd_file_t* ppd);

}  // namespace marvik::filter
