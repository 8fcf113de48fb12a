// The filter's page work, callable without a process: read each raster page,
// check its header, encode it and write its frame.
#pragma once

#include <cups/raster.h>

#include <csignal>
#include <cstdio>

#include "filter/PageHeaderCheck.h"
#include "filter/PrintOptions.h"
#include "filter/PrinterOutput.h"
#include "filter/RasterInput.h"

namespace marvik::filter {

struct JobOutcome {
  int pagesRead = 0;     // pages counted and announced with "PAGE:"
  int pagesWritten = 0;  // pages whose bytes all went to the output
  bool failed = false;   // an ERROR: line was written
  // 1 on any failure or when no page was read, else 0.
  int Status() const { return (failed || pagesRead == 0) ? 1 : 0; }
};

enum class PageResult { kWritten, kNotEncoded, kWriteFailed };

// Builds the printer model for one page and writes its frame (the document
// start, page start, body, page end and document end buffers) to `out`.
// `pixels` holds verdict.pageBytes bytes and may be changed in place.
// Nothing is written when the encoder refuses the page. `options` are the
// job's printer options.
PageResult PrintPage(const cups_page_header2_t& header, const HeaderVerdict& verdict, unsigned char* pixels,
                     PrinterOutput& out, const PrintOptions& options = PrintOptions{});

// Runs the page loop until the stream ends, a page fails, or `canceled`
// becomes non-zero (tested after a header is read and after a page is
// written). "PAGE:" and "ERROR:" lines go to `status`. Every page is printed
// with `options`.
JobOutcome RunPageLoop(RasterInput& input, PrinterOutput& out, std::FILE* status,
                       const volatile std::sig_atomic_t* canceled,
                       const PrintOptions& options = PrintOptions{});

// Hands the last buffered bytes to the printer and returns the job's exit
// status: a job whose bytes did not all arrive has failed, whatever the
// pages said, and says so on `status`.
int FinishJob(const JobOutcome& outcome, PrinterOutput& out, std::FILE* status);

}  // namespace marvik::filter
