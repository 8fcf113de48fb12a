#include "page/PageLoop.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "page/PageHeaderCheck.h"
#include "page/PrintPage.h"

namespace marvik::page {

namespace {

struct FreeDeleter {
  void operator()(unsigned char* p) const { std::free(p); }
};
using PixelBuffer = std::unique_ptr<unsigned char, FreeDeleter>;

std::string Page(int number) {
  return "page " + std::to_string(number);
}

std::string Reason(const PrinterOutput& out) {
  return out.Error() ? std::strerror(out.Error()) : "the output accepted no bytes";
}

void Fail(PageEvents& events, JobOutcome& outcome, const std::string& message) {
  events.Error(message);
  outcome.failed = true;
}

}  // namespace

JobOutcome RunPageLoop(RasterInput& input, PrinterOutput& out, PageEvents& events,
                       const PrintOptions& options) {
  JobOutcome outcome;
  cups_raster_t* const raster = input.get();
  if (raster == nullptr) {
    if (!events.Canceled()) {
      Fail(events, outcome,
           input.BytesRead() == 0 ? "No pages found" : "No pages found: the input is not raster data");
    }
    return outcome;
  }
  cups_page_header2_t header;
  // What the input had delivered when the previous page's data was read in
  // full: more than that at the end means a header was cut off.
  std::uint64_t pageEnd = input.BytesRead();
  for (;;) {
    const int next = outcome.pagesRead + 1;
    if (!cupsRasterReadHeader2(raster, &header)) {
      if (events.Canceled()) break;
      if (!input.ReachedEnd()) {
        // No header, yet input left: libcups refused the next page's header.
        Fail(events, outcome,
             "Page " + std::to_string(next) +
                 " refused: the CUPS raster library rejects its header (a zero cupsHeight or "
                 "cupsBytesPerLine, "
                 "or a cupsBitsPerPixel it does not know)");
      } else if (input.BytesRead() > pageEnd) {
        Fail(events, outcome,
             "The raster data ended inside the header of " + Page(next) + "; the page was not printed");
      } else if (outcome.pagesRead == 0) {
        Fail(events, outcome, "No pages found");
      }
      break;
    }
    if (events.Canceled()) break;
    const HeaderVerdict verdict = CheckPageHeader(header);
    if (!verdict.ok) {
      events.HeaderRead(next, header, false);
      Fail(events, outcome, "Page " + std::to_string(next) + " refused: " + verdict.problem);
      break;
    }
    ++outcome.pagesRead;
    events.HeaderRead(outcome.pagesRead, header, true);

    PixelBuffer pixels(static_cast<unsigned char*>(std::malloc(verdict.pageBytes)));
    if (!pixels) {
      Fail(events, outcome,
           "Not enough memory for " + Page(outcome.pagesRead) + " (" + std::to_string(verdict.pageBytes) +
               " bytes)");
      break;
    }
    if (cupsRasterReadPixels(raster, pixels.get(), verdict.pageBytes) != verdict.pageBytes) {
      // A cancelled upstream filter stops mid-page; that is no error of the job.
      if (!events.Canceled()) {
        Fail(events, outcome,
             "The raster data ended inside " + Page(outcome.pagesRead) + "; the page was not printed");
      }
      break;
    }
    pageEnd = input.BytesRead();
    const PageResult result = PrintPage(header, verdict, pixels.get(), out, options, outcome.pagesRead);
    if (result == PageResult::kNotEncoded) {
      Fail(events, outcome,
           "Page " + std::to_string(outcome.pagesRead) + " could not be encoded for the printer");
      break;
    }
    if (result == PageResult::kWriteFailed) {
      Fail(events, outcome, "Could not send " + Page(outcome.pagesRead) + " to the printer: " + Reason(out));
      break;
    }
    ++outcome.pagesWritten;
    pixels.reset();
    events.PageWritten(outcome.pagesRead, header);
    if (events.Canceled()) break;
  }
  return outcome;
}

int FinishJob(const JobOutcome& outcome, PrinterOutput& out, PageEvents& events) {
  if (!out.Flush() && !outcome.failed) {
    events.Error("Could not send the job to the printer: " + Reason(out));
    return 1;
  }
  return outcome.Status();
}

}  // namespace marvik::page
