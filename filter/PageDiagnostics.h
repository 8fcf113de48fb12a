// The per-page diagnostic dump of the raster header to the job log.
#pragma once

#include <cups/ppd.h>
#include <cups/raster.h>

#include <string>

// The header's cupsPageSizeName up to its first NUL or the end of its 64
// bytes, whichever comes first: a header may carry no NUL at all.
std::string BoundedPageSizeName(const cups_page_header2_t& header);

// Logs 20 header fields, one line each, to the main logger at debug level.
// The PPD is not used.
void StartPage(const ppd_file_t* ppd, const cups_page_header2_t* header);
