#include "printer-app/RasterDocument.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "page/PageLoop.h"
#include "printer-app/JobOptions.h"

namespace marvik::app {

namespace {

// What the page loop tells, as a PAPPL job shows it: errors in the log and as
// the job-state-message, pages as impressions.
class JobEvents : public page::PageEvents {
 public:
  explicit JobEvents(pappl_job_t* job) : job_(job) {}
  void HeaderRead(int number, const cups_page_header2_t& h, bool accepted) override {
    if (!accepted) return;
    papplJobSetImpressions(job_, ++impressions_);
    papplLogJob(job_, PAPPL_LOGLEVEL_INFO, "Page %d: %ux%u dpi, %u x %u dots, %u bits per pixel", number,
                h.HWResolution[0], h.HWResolution[1], h.cupsWidth, h.cupsHeight, h.cupsBitsPerPixel);
  }
  void PageWritten(int, const cups_page_header2_t&) override { papplJobSetImpressionsCompleted(job_, 1); }
  void Error(const std::string& message) override { ReportJobError(job_, message); }
  bool Canceled() override { return papplJobIsCanceled(job_); }

 private:
  pappl_job_t* job_;
  int impressions_ = 0;
};

struct OpenFile {
  int fd;
  ~OpenFile() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

void ReportJobError(pappl_job_t* job, const std::string& message) {
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", message.c_str());
  papplJobSetMessage(job, "%s", message.c_str());
}

ssize_t WriteToDevice(void* device, const void* data, std::size_t size) {
  return papplDeviceWrite(static_cast<pappl_device_t*>(device), data, size);
}

bool PrintRaster(pappl_job_t* job, pappl_device_t* device, page::RasterInput& input) {
  JobEvents events(job);
  page::PrinterOutput out(WriteToDevice, device);
  const page::JobOutcome outcome = page::RunPageLoop(input, out, events, JobPrintOptions(job));
  const int status = page::FinishJob(outcome, out, events);
  papplDeviceFlush(device);
  // A cancelled job is PAPPL's to end.
  return status == 0 || papplJobIsCanceled(job);
}

bool PrintRasterFile(pappl_job_t* job, pappl_device_t* device, const char* path, int copies) {
  for (int copy = 0; copy < copies && !papplJobIsCanceled(job); ++copy) {
    const OpenFile file{open(path, O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
      JobEvents(job).Error(std::string("Unable to open the print file: ") + std::strerror(errno));
      return false;
    }
    page::RasterInput input(file.fd);
    if (!PrintRaster(job, device, input)) return false;
  }
  return true;
}

}  // namespace marvik::app
