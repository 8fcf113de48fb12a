// texttomarvik: the CUPS filter that prints plain text in the resident fonts
// of Marvik 24-pin dot-matrix printers.
//
//   texttomarvik job-id user title copies options [file]
//
// Reads the text from the file or standard input and writes the printer's
// ESC/P command stream to standard output, one complete frame per form. The
// queue's PPD comes from the PPD environment variable. It keeps no job log.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "filter/CancelJob.h"
#include "filter/CupsHandles.h"
#include "filter/CupsStatus.h"
#include "filter/TextJobOptions.h"
#include "page/PageLoop.h"
#include "page/PrinterOutput.h"
#include "text/TextJob.h"

namespace {

// CUPS's own limit on copies (MaxCopies) by default.
constexpr int kMaxCopies = 9999;

}  // namespace

int main(int argc, char* argv[]) {
  using namespace marvik;
  using namespace marvik::filter;
  InstallSignalHandlers();
  std::setbuf(stderr, nullptr);
  if (argc < 6 || argc > 7) {
    std::fprintf(stderr, "Usage: texttomarvik job-id user title copies options [file]\n");
    return 1;
  }
  JobInput input;
  if (!input.Open(argc == 7 ? argv[6] : nullptr)) {
    std::fprintf(stderr, "ERROR: Could not open the document %s: %s\n", argv[6], std::strerror(errno));
    return 1;
  }
  JobOptions jobOptions(argv[5]);
  PpdFile ppd(ppdOpenFile(std::getenv("PPD")));
  if (!ppd) {
    int line = 0;
    const ppd_status_t status = ppdLastError(&line);
    std::fprintf(stderr, "ERROR: Could not read the printer's PPD file: %s on line %d\n",
                 ppdErrorString(status), line);
    return 1;
  }
  jobOptions.Mark(ppd.get());
  const text::TextOptions options = ReadTextOptions(ppd.get(), jobOptions, stderr);
  const text::TextJob job(options);
  const text::TextGeometry& geometry = job.Geometry();
  if (job.Check() == text::GeometryResult::kOk) {
    std::fprintf(stderr, "DEBUG: %d columns and %d lines a form at %.4g cpi and %g lpi, table %s\n",
                 geometry.columns, geometry.linesPerForm, text::InfoOf(options.pitch).cpi,
                 text::InfoOf(options.spacing).lpi, text::InfoOf(options.table).keyword);
  }

  page::PrinterOutput out(STDOUT_FILENO);
  const int fd = input.fd();
  auto read = [fd](unsigned char* buffer, std::size_t size) {
    ssize_t n;
    while ((n = ::read(fd, buffer, size)) < 0 && errno == EINTR) {
    }
    return static_cast<long>(n);
  };
  page::JobOutcome outcome;
  auto form = [&](const std::vector<unsigned char>& bytes) {
    std::fprintf(stderr, "PAGE: %d 1\n", ++outcome.pagesRead);
    if (!out.Write(bytes)) return false;
    ++outcome.pagesWritten;
    return true;
  };
  // Copies are whole documents, read again from the start: CUPS hands the
  // first filter of a chain the spooled file.
  const int copies = std::max(1, std::min(std::atoi(argv[4]), kMaxCopies));
  text::TextJobResult result;
  for (int copy = 1; copy <= copies && !Canceled; ++copy) {
    if (copy > 1 && ::lseek(fd, 0, SEEK_SET) != 0) {
      std::fprintf(stderr, "WARNING: Printed 1 copy of %d: the document came through a pipe\n", copies);
      break;
    }
    result = job.Print(read, form, &Canceled);
    if (result.status != text::TextJobStatus::kPrinted) break;
  }
  switch (result.status) {
    case text::TextJobStatus::kPrinted:
    case text::TextJobStatus::kCanceled:
      break;
    case text::TextJobStatus::kEmpty:
      std::fprintf(stderr, "WARNING: %s\n", text::Describe(result, options).c_str());
      // Nothing to print is no failure: the job completes, and CUPS would
      // stop a job whose filter failed.
      return out.Flush() ? 0 : 1;
    case text::TextJobStatus::kOutputFailed:
      outcome.failed = true;
      std::fprintf(stderr, "ERROR: Could not send page %d to the printer: %s\n", outcome.pagesRead,
                   out.Error() ? std::strerror(out.Error()) : "the output accepted no bytes");
      break;
    default:
      outcome.failed = true;
      std::fprintf(stderr, "ERROR: %s\n", text::Describe(result, options).c_str());
  }
  CupsStatus status(stderr, &Canceled);
  return page::FinishJob(outcome, out, status);
}
