// Points in the job where a printer-specific variant of the filter would
// send its own set-up, per-page and closing work. This printer needs none.
#pragma once

#include <cups/raster.h>

void Setup();                                     // after the PPD is marked
void EndPage(const cups_page_header2_t* header);  // after a page's bytes are written
void Shutdown();                                  // after the page loop
