// A text job's settings from the queue's PPD and the job's options: the
// marked page size and its imageable area as the form and margins, the
// PPD's text options, and CUPS's own text options where it has one (cpi,
// lpi, page-left, page-right, page-top, page-bottom, wrap), which win.
#pragma once

#include <cups/ppd.h>

#include <cstdio>

#include "filter/CupsHandles.h"
#include "text/TextOptions.h"

namespace marvik::filter {

// `ppd` has the job's options marked. A value that cannot be used is left
// out with a WARNING: line on `status`.
text::TextOptions ReadTextOptions(ppd_file_t* ppd, const JobOptions& job, std::FILE* status);

}  // namespace marvik::filter
