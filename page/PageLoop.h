// A job's raster pages, read, checked, encoded and sent one by one: the page
// work of every front end. What a front end tells its user (CUPS status
// lines, a job's state message) goes through PageEvents.
#pragma once

#include <cups/raster.h>

#include <string>

#include "page/PrintOptions.h"
#include "page/PrinterOutput.h"
#include "page/RasterInput.h"

namespace marvik::page {

struct JobOutcome {
  int pagesRead = 0;     // pages whose header was accepted
  int pagesWritten = 0;  // pages whose bytes all went to the output
  bool failed = false;   // an error was reported
  // 1 on any failure or when no page was read, else 0.
  int Status() const { return (failed || pagesRead == 0) ? 1 : 0; }
};

class PageEvents {
 public:
  virtual ~PageEvents() = default;
  // Page `number`'s header was read; `accepted` is false when the loop
  // refuses it (an error follows).
  virtual void HeaderRead(int number, const cups_page_header2_t& header, bool accepted) = 0;
  // Page `number`'s bytes all went to the output.
  virtual void PageWritten(int /*number*/, const cups_page_header2_t& /*header*/) {}
  // Why the job failed, one sentence without a line break.
  virtual void Error(const std::string& message) = 0;
  // Polled after a header is read and after a page is written; a cancelled
  // job stops there, quietly.
  virtual bool Canceled() = 0;
};

// Runs the page loop until the stream ends, a page fails, or the job is
// cancelled. Every page is printed with `options`.
JobOutcome RunPageLoop(RasterInput& input, PrinterOutput& out, PageEvents& events,
                       const PrintOptions& options = PrintOptions{});

// Hands the last buffered bytes to the printer and returns the job's exit
// status: a job whose bytes did not all arrive has failed, whatever the
// pages said, and says so.
int FinishJob(const JobOutcome& outcome, PrinterOutput& out, PageEvents& events);

}  // namespace marvik::page
