// The printer options of one job: what the job names, else the default the
// administrator set for the printer (web interface, `modify`, or a client's
// Set-Printer-Attributes), else the option's own default. PAPPL 1.3 hands
// drivers the vendor options a job names and nothing else, so a CUPS queue,
// which never names them, would always print with the built-in defaults.
#pragma once

#include <pappl/pappl.h>

#include "page/PrintOptions.h"

namespace marvik::app {

page::PrintOptions JobPrintOptions(pappl_job_t* job);

}  // namespace marvik::app
