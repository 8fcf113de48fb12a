#include "printer-app/TextDocument.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <string>

#include "page/PrinterOutput.h"
#include "printer-app/DriverFormats.h"
#include "printer-app/TextAttributes.h"
#include "text/TextJob.h"

namespace marvik::app {

namespace {

struct OpenFile {
  int fd;
  ~OpenFile() {
    if (fd >= 0) close(fd);
  }
};

struct OptionsDeleter {
  void operator()(pappl_pr_options_t* options) const { papplJobDeletePrintOptions(options); }
};

ssize_t WriteToDevice(void* device, const void* data, std::size_t size) {
  return papplDeviceWrite(static_cast<pappl_device_t*>(device), data, size);
}

void Fail(pappl_job_t* job, const std::string& message) {
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", message.c_str());
  papplJobSetMessage(job, "%s", message.c_str());
}

}  // namespace

const char* DetectText(const unsigned char* header, size_t size) {
  const bool text = std::all_of(header, header + size, [](unsigned char c) {
    return c >= 0x20 ? c != 0x7F : c != 0 && std::strchr("\b\t\n\f\r", c) != nullptr;
  });
  return text ? kTextFormat : nullptr;
}

void RegisterTextFormat(pappl_system_t* system) {
  papplSystemAddMIMEFilter(system, kTextFormat, kRawFormat, PrintTextDocument, nullptr);
}

bool PrintTextDocument(pappl_job_t* job, pappl_device_t* device, void*) {
  const std::unique_ptr<pappl_pr_options_t, OptionsDeleter> jobOptions(
      papplJobCreatePrintOptions(job, 0, false));
  if (!jobOptions) {
    Fail(job, "Not enough memory to start the job");
    return false;
  }
  const text::TextOptions options = JobTextOptions(job, *jobOptions);
  const text::TextJob textJob(options);
  if (textJob.Check() == text::GeometryResult::kOk) {
    const text::TextGeometry& geometry = textJob.Geometry();
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%d columns and %d lines a form at %.4g cpi and %g lpi, table %s",
                geometry.columns, geometry.linesPerForm, text::InfoOf(options.pitch).cpi,
                text::InfoOf(options.spacing).lpi, text::InfoOf(options.table).keyword);
  }
  // The text library polls a flag; PAPPL is asked at every read and form.
  volatile std::sig_atomic_t canceled = 0;
  page::PrinterOutput out(WriteToDevice, device);
  int forms = 0;
  auto form = [&](const std::vector<unsigned char>& bytes) {
    papplJobSetImpressions(job, ++forms);
    if (!out.Write(bytes) || !out.Flush()) return false;
    papplJobSetImpressionsCompleted(job, 1);
    canceled = papplJobIsCanceled(job);
    return true;
  };
  text::TextJobResult result;
  const int copies = std::max(1, jobOptions->copies);
  for (int copy = 0; copy < copies && !papplJobIsCanceled(job); ++copy) {
    const OpenFile file{open(papplJobGetFilename(job), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
      Fail(job, std::string("Unable to open the print file: ") + std::strerror(errno));
      return false;
    }
    auto read = [&](unsigned char* buffer, std::size_t size) {
      canceled = papplJobIsCanceled(job);
      ssize_t n;
      while ((n = ::read(file.fd, buffer, size)) < 0 && errno == EINTR) {
      }
      return static_cast<long>(n);
    };
    result = textJob.Print(read, form, &canceled);
    if (result.status != text::TextJobStatus::kPrinted) break;
  }
  papplDeviceFlush(device);
  switch (result.status) {
    case text::TextJobStatus::kPrinted:
    case text::TextJobStatus::kCanceled:
      return true;
    case text::TextJobStatus::kEmpty:
      // Nothing to print is no failure: the job completes and says so.
      papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s", text::Describe(result, options).c_str());
      papplJobSetMessage(job, "%s", text::Describe(result, options).c_str());
      return true;
    case text::TextJobStatus::kOutputFailed:
      Fail(job, "Could not send page " + std::to_string(forms) + " to the printer: " +
                    (out.Error() ? std::strerror(out.Error()) : "the device accepted no bytes"));
      return false;
    default:
      Fail(job, text::Describe(result, options));
      return false;
  }
}

}  // namespace marvik::app
