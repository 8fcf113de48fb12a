#include "filter/PageLoop.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "filter/JobHooks.h"
#include "filter/PageDiagnostics.h"
#include "filter/PixelPrep.h"
#include "logging/marvlog.h"
#include "printer/DotMatrixPrinter.h"

namespace marvik::filter {

namespace {

struct FreeDeleter {
  void operator()(unsigned char* p) const { std::free(p); }
};
using PixelBuffer = std::unique_ptr<unsigned char, FreeDeleter>;

// Writes a status line for CUPS and keeps a copy in the job log.
void Report(std::FILE* status, const char* text) {
  std::fputs(text, status);
  const int length = static_cast<int>(std::strcspn(text, "\n"));  // one log line, no line break inside
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "%.*s", length, text);
}

void ReportError(std::FILE* status, JobOutcome& outcome, const char* format, int page, const char* detail) {
  char text[512];
  std::snprintf(text, sizeof text, format, page, detail);
  Report(status, text);
  outcome.failed = true;
}

}  // namespace

PageResult PrintPage(const cups_page_header2_t& h, const HeaderVerdict& verdict, unsigned char* pixels,
                     PrinterOutput& out, const PrintOptions& options) {
  DotMatrixPrinter::InitPageLength();
  DotMatrixPrinter printer(PIN_TYPE_24, static_cast<int32_t>(h.HWResolution[0]),
                           static_cast<int32_t>(h.HWResolution[1]));
  printer.SetPageLength(static_cast<int32_t>(h.PageSize[1]));
  ApplyPrintOptions(options, printer);
  int32_t encoded = -1;
  switch (verdict.format) {
    case PixelFormat::kInvertedDots:
      InvertDots(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight);
      encoded = printer.SetPage(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight);
      break;
    case PixelFormat::kDots:
      encoded = printer.SetPage(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight);
      break;
    case PixelFormat::kGrayBlackHigh:
      FlipGray(pixels, verdict.pageBytes);
      encoded = printer.SetPage(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight, "HT_PATSIZE_AUTO");
      break;
    case PixelFormat::kGrayWhiteHigh:
      encoded = printer.SetPage(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight, "HT_PATSIZE_AUTO");
      break;
  }
  // A page the encoder could not walk would go out as a blank sheet.
  if (encoded < 0) return PageResult::kNotEncoded;
  std::vector<unsigned char> frame;
  printer.PageFrame(frame);
  return out.Write(frame) ? PageResult::kWritten : PageResult::kWriteFailed;
}

int FinishJob(const JobOutcome& outcome, PrinterOutput& out, std::FILE* status) {
  if (!out.Flush() && !outcome.failed) {
    std::fprintf(status, "ERROR: Could not send the job to the printer: %s\n",
                 out.Error() ? std::strerror(out.Error()) : "the output accepted no bytes");
    return 1;
  }
  return outcome.Status();
}

JobOutcome RunPageLoop(RasterInput& input, PrinterOutput& out, std::FILE* status,
                       const volatile std::sig_atomic_t* canceled, const PrintOptions& options) {
  JobOutcome outcome;
  cups_page_header2_t header;
  cups_raster_t* const raster = input.get();
  while (raster != nullptr) {
    if (!cupsRasterReadHeader2(raster, &header)) {
      // No header, yet input left: libcups refused the next page's header.
      if (!input.ReachedEnd() && !*canceled) {
        ReportError(status, outcome, "ERROR: Page %d refused: %s\n", outcome.pagesRead + 1,
                    "the CUPS raster library rejects its header (a zero cupsHeight or cupsBytesPerLine, "
                    "or a cupsBitsPerPixel it does not know)");
      }
      break;
    }
    if (*canceled) break;
    const HeaderVerdict verdict = CheckPageHeader(header);
    if (!verdict.ok) {
      StartPage(nullptr, &header);  // the log shows the whole header that was refused
      ReportError(status, outcome, "ERROR: Page %d refused: %s\n", outcome.pagesRead + 1,
                  verdict.problem.c_str());
      break;
    }
    ++outcome.pagesRead;
    std::fprintf(status, "PAGE: %d %d\n", outcome.pagesRead, header.NumCopies);
    StartPage(nullptr, &header);

    PixelBuffer pixels(static_cast<unsigned char*>(std::malloc(verdict.pageBytes)));
    if (!pixels) {
      ReportError(status, outcome, "ERROR: Not enough memory for page %d (%s bytes)\n", outcome.pagesRead,
                  std::to_string(verdict.pageBytes).c_str());
      break;
    }
    if (cupsRasterReadPixels(raster, pixels.get(), verdict.pageBytes) != verdict.pageBytes) {
      // A cancelled upstream filter stops mid-page; that is no error of the job.
      if (!*canceled) {
        ReportError(status, outcome,
                    "ERROR: The raster data ended inside page %d%s; the page was not printed\n",
                    outcome.pagesRead, "");
      }
      break;
    }
    const PageResult result = PrintPage(header, verdict, pixels.get(), out, options);
    if (result == PageResult::kNotEncoded) {
      ReportError(status, outcome, "ERROR: Page %d could not be encoded for the printer%s\n",
                  outcome.pagesRead, "");
      break;
    }
    if (result == PageResult::kWriteFailed) {
      ReportError(status, outcome, "ERROR: Could not send page %d to the printer: %s\n", outcome.pagesRead,
                  out.Error() ? std::strerror(out.Error()) : "the output accepted no bytes");
      break;
    }
    ++outcome.pagesWritten;
    pixels.reset();
    EndPage(&header);
    if (*canceled) break;
  }
  return outcome;
}

}  // namespace marvik::filter
