// JPEG and PNG jobs, taken before PAPPL's own image conversion: PAPPL 1.3
// consults a MIME filter to the driver's format first, and its own
// decoding of a damaged PNG repeats its read error without end, holding
// the printer. Here the image is decoded within ImageDecoder's limits,
// placed on the job's media (ImagePage.h) and printed by the page library
// as one 8-bit gray page, halftoned as the filter halftones gray pages.
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

// Registers the image formats' filters on a system that is not running yet.
void RegisterImageFilters(pappl_system_t* system);

}  // namespace marvik::app
