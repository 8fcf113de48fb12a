// One raster page to the printer: the printer model for the page's
// resolution and length, the job's options, the encoded body, and the frame
// every front end sends (document start, page start, body, page end,
// document end).
#pragma once

#include <cups/raster.h>

#include <cstdint>

#include "page/PageHeaderCheck.h"
#include "page/PrintOptions.h"
#include "page/PrinterOutput.h"

namespace marvik::page {

enum class PageResult { kWritten, kNotEncoded, kWriteFailed };

// `pixels` holds verdict.pageBytes bytes of a header that CheckPageHeader
// accepted, and may be changed in place. Nothing is written when the
// encoder refuses the page. `pageNumber` counts the job's pages from 1: a
// form whose length is no whole number of 1/360 inch gets, page by page,
// whole units that keep the paper exact over the job (FormUnits).
PageResult PrintPage(const cups_page_header2_t& header, const HeaderVerdict& verdict, unsigned char* pixels,
                     PrinterOutput& out, const PrintOptions& options = PrintOptions{},
                     int64_t pageNumber = 1);

}  // namespace marvik::page
