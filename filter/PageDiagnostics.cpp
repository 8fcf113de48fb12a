#include "filter/PageDiagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "logging/marvlog.h"
#include "page/PageHeaderCheck.h"

namespace marvik::filter {

std::string BoundedPageSizeName(const cups_page_header2_t& header) {
  const char* name = header.cupsPageSizeName;
  const void* nul = std::memchr(name, '\0', sizeof header.cupsPageSizeName);
  const std::size_t length =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - name) : sizeof header.cupsPageSizeName;
  return std::string(name, length);
}

namespace {

// One dump record. Like the rest of the job log it names the filter as its
// source, whichever file holds the dump; log readers key on that name. The
// texts keep their own line feed, so the record's " rastertomarvik:N" suffix
// opens the next line of the file.
void Dump(int line, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Dump(int line, const char* format, ...) {
  marvlog::LogLine record(marvlog::ILogManager::getPtr(), marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG,
                          "rastertomarvik", line);
  if (!record.active()) return;
  char text[256];  // the longest dump text with its numbers is under 100 bytes
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  record.stream() << text;
}

}  // namespace

}  // namespace marvik::filter

using marvik::page::RawField;

#define DUMP(...) marvik::filter::Dump(__LINE__, __VA_ARGS__)

void StartPage(const ppd_file_t* /*ppd*/, const cups_page_header2_t* h) {
  // The CUPS-style "DEBUG: " prefixes are kept so the dump reads like a
  // scheduler log; these lines never go to standard error.
  DUMP("DEBUG: StartPage...\n");
  DUMP("DEBUG: cupsPageSizeName = %s\n", marvik::filter::BoundedPageSizeName(*h).c_str());
  DUMP("DEBUG: Duplex = %d\n", RawField(h->Duplex));
  DUMP("DEBUG: HWResolution = [ %d %d ]\n", h->HWResolution[0], h->HWResolution[1]);
  DUMP("DEBUG: ImagingBoundingBox = [ %d %d %d %d ]\n", h->ImagingBoundingBox[0], h->ImagingBoundingBox[1],
       h->ImagingBoundingBox[2], h->ImagingBoundingBox[3]);
  DUMP("DEBUG: Margins = [ %d %d ]\n", h->Margins[0], h->Margins[1]);
  DUMP("DEBUG: ManualFeed = %d\n", RawField(h->ManualFeed));
  DUMP("DEBUG: MediaPosition = %d\n", h->MediaPosition);
  DUMP("DEBUG: NumCopies = %d\n", h->NumCopies);
  DUMP("DEBUG: Orientation = %d\n", RawField(h->Orientation));
  DUMP("DEBUG: PageSize = [ %d %d ]\n", h->PageSize[0], h->PageSize[1]);
  DUMP("DEBUG: cupsWidth = %d\n", h->cupsWidth);
  DUMP("DEBUG: cupsHeight = %d\n", h->cupsHeight);
  DUMP("DEBUG: cupsMediaType = %d\n", h->cupsMediaType);
  DUMP("DEBUG: cupsBitsPerColor = %d\n", h->cupsBitsPerColor);
  DUMP("DEBUG: cupsBitsPerPixel = %d\n", h->cupsBitsPerPixel);
  DUMP("DEBUG: cupsBytesPerLine = %d\n", h->cupsBytesPerLine);
  DUMP("DEBUG: cupsColorOrder = %d\n", RawField(h->cupsColorOrder));
  DUMP("DEBUG: cupsColorSpace = %d\n", RawField(h->cupsColorSpace));
  DUMP("DEBUG: cupsCompression = %d\n", h->cupsCompression);
}
