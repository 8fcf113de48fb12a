// rastertomarvik: the CUPS filter for Marvik 24-pin dot-matrix printers.
//
//   rastertomarvik job-id user title copies options [file]
//
// Reads CUPS raster pages from the file or standard input and writes the
// printer's ESC/P command stream to standard output, one complete frame per
// page. The queue's PPD comes from the PPD environment variable.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "filter/AdminLogSettings.h"
#include "filter/CancelJob.h"
#include "filter/CupsHandles.h"
#include "filter/CupsStatus.h"
#include "filter/JobHooks.h"
#include "filter/JobLog.h"
#include "filter/PpdPrintOptions.h"
#include "logging/marvlog.h"
#include "page/PageLoop.h"
#include "page/PrinterOutput.h"

namespace marvik::filter {
namespace {

void ReportPpdFailure() {
  int line = 0;
  const ppd_status_t status = ppdLastError(&line);
  std::fprintf(stderr, "DEBUG: %s on line %d.\n", ppdErrorString(status), line);
}

}  // namespace
}  // namespace marvik::filter

int main(int argc, char* argv[]) {
  using namespace marvik::filter;
  namespace page = marvik::page;
  // First of all: starting the log takes a tenth of a second, and a job
  // cancelled in that time must end by the cancel rule (status 1, nothing
  // printed), not be killed by SIGTERM's default action.
  InstallSignalHandlers();
  std::setbuf(stderr, nullptr);
  PrepareJobLog(stderr);

  if (argc < 6 || argc > 7) return 1;
  JobInput input;
  if (!input.Open(argc == 7 ? argv[6] : nullptr)) {
    sleep(1);
    return 1;
  }
  page::RasterInput raster(input.fd());

  JobOptions options(argv[5]);
  PpdFile ppd(ppdOpenFile(std::getenv("PPD")));
  if (!ppd) {
    ReportPpdFailure();
    return 1;
  }
  options.Mark(ppd.get());
  const page::PrintOptions printOptions = ReadPrintOptions(ppd.get());
  Setup();

  page::PrinterOutput printerOut(STDOUT_FILENO);
  CupsStatus status(stderr, &Canceled);
  const page::JobOutcome outcome = page::RunPageLoop(raster, printerOut, status, printOptions);
  Shutdown();
  return page::FinishJob(outcome, printerOut, status);
}
