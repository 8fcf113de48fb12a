// The per-page diagnostic dump of the raster header to the job log.
#pragma once

#include <cups/ppd.h>
#include <cups/raster.h>

#include <string>

// The header's cupsPageSizeName up to its first NUL or the end of its 64
// bytes, whichever comes first: a header may carry no NUL at all.
namespace marvik::filter {
std::string BoundedPageSizeName(const cups_page_header2_t& header);
}  // namespace marvik::filter

// Logs 20 records to the main logger at debug level: a heading and 19 header
// fields, one record each. The PPD is not used.
void StartPage(const ppd_file_t* ppd, const cups_page_header2_t* header);
