#include "printer-app/ImageDocument.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "page/PageHeaderCheck.h"
#include "page/PrintPage.h"
#include "printer-app/DriverFormats.h"
#include "printer-app/ImageDecoder.h"
#include "printer-app/ImagePage.h"
#include "printer-app/JobOptions.h"
#include "printer-app/RasterDocument.h"

namespace marvik::app {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
struct OptionsDeleter {
  void operator()(pappl_pr_options_t* options) const { papplJobDeletePrintOptions(options); }
};

constexpr ImageFormat kPng = ImageFormat::kPng;
constexpr ImageFormat kJpeg = ImageFormat::kJpeg;

Scaling ScalingOf(pappl_scaling_t value) {
  switch (value) {
    case PAPPL_SCALING_AUTO_FIT:
      return Scaling::kAutoFit;
    case PAPPL_SCALING_FILL:
      return Scaling::kFill;
    case PAPPL_SCALING_FIT:
      return Scaling::kFit;
    case PAPPL_SCALING_NONE:
      return Scaling::kNone;
    default:
      return Scaling::kAuto;
  }
}

bool Canceled(void* job) {
  return papplJobIsCanceled(static_cast<pappl_job_t*>(job));
}

bool Fail(pappl_job_t* job, const std::string& message) {
  ReportJobError(job, message);
  return false;
}

// A pappl_mime_filter_cb_t; `data` is the ImageFormat.
bool PrintImage(pappl_job_t* job, pappl_device_t* device, void* data) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(papplJobGetFilename(job), "rbe"));
  if (!file) return Fail(job, std::string("Unable to open the print file: ") + std::strerror(errno));
  GrayImage image;
  const DecodeResult decoded =
      DecodeImage(file.get(), *static_cast<const ImageFormat*>(data), image, DecodeControl{Canceled, job});
  if (decoded.canceled) return true;  // PAPPL ends a cancelled job
  if (!decoded.ok) return Fail(job, decoded.problem);

  const std::unique_ptr<pappl_pr_options_t, OptionsDeleter> options(
      papplJobCreatePrintOptions(job, 1, false));
  if (!options) return Fail(job, "Not enough memory to start the job");
  MediaGeometry media;
  media.xDpi = static_cast<unsigned>(options->printer_resolution[0]);
  media.yDpi = static_cast<unsigned>(options->printer_resolution[1]);
  media.width = options->media.size_width;
  media.length = options->media.size_length;
  media.left = options->media.left_margin;
  media.right = options->media.right_margin;
  media.top = options->media.top_margin;
  media.bottom = options->media.bottom_margin;
  const cups_page_header2_t header = ImagePageHeader(media);
  const page::HeaderVerdict verdict = page::CheckPageHeader(header);
  if (!verdict.ok) return Fail(job, "The page for the image is refused: " + verdict.problem);
  const PixelBuffer pixels(static_cast<unsigned char*>(std::malloc(verdict.pageBytes)));
  if (!pixels)
    return Fail(job, "Not enough memory for the page (" + std::to_string(verdict.pageBytes) + " bytes)");
  std::memset(pixels.get(), 255, verdict.pageBytes);
  const Placement at = PlaceImage(image, ScalingOf(options->print_scaling), media, header, pixels.get());
  if (!at.ok)
    return Fail(job, "The media " + std::string(options->media.size_name) + " leaves no printable area");
  image.pixels.reset();
  papplLogJob(job, PAPPL_LOGLEVEL_INFO,
              "Image %u x %u pixels: %lld x %lld dots at (%lld, %lld) on a %u x %u page at %ux%u dpi",
              image.width, image.height, at.width, at.height, at.x, at.y, header.cupsWidth, header.cupsHeight,
              media.xDpi, media.yDpi);

  const int copies = options->copies > 0 ? options->copies : 1;
  papplJobSetImpressions(job, copies);
  const page::PrintOptions choices = JobPrintOptions(job);
  page::PrinterOutput out(WriteToDevice, device);
  for (int copy = 0; copy < copies && !papplJobIsCanceled(job); ++copy) {
    const page::PageResult result = page::PrintPage(header, verdict, pixels.get(), out, choices);
    if (result == page::PageResult::kNotEncoded)
      return Fail(job, "The image could not be encoded for the printer");
    if (result == page::PageResult::kWriteFailed) return Fail(job, "Could not send the image to the printer");
    papplJobSetImpressionsCompleted(job, 1);
  }
  const bool sent = out.Flush();
  papplDeviceFlush(device);
  return sent || papplJobIsCanceled(job) ? true : Fail(job, "Could not send the image to the printer");
}

}  // namespace

void RegisterImageFilters(pappl_system_t* system) {
  papplSystemAddMIMEFilter(system, "image/png", kRawFormat, PrintImage, const_cast<ImageFormat*>(&kPng));
  papplSystemAddMIMEFilter(system, "image/jpeg", kRawFormat, PrintImage, const_cast<ImageFormat*>(&kJpeg));
}

}  // namespace marvik::app
