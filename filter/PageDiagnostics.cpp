#include "filter/PageDiagnostics.h"

#include <cstring>

#include "filter/PageHeaderCheck.h"
#include "logging/marvlog.h"

std::string BoundedPageSizeName(const cups_page_header2_t& header) {
  const char* name = header.cupsPageSizeName;
  const void* nul = std::memchr(name, '\0', sizeof header.cupsPageSizeName);
  const std::size_t length =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - name) : sizeof header.cupsPageSizeName;
  return std::string(name, length);
}

#define DUMP(...) MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, __VA_ARGS__)

void StartPage(const ppd_file_t* /*ppd*/, const cups_page_header2_t* h) {
  // The CUPS-style "DEBUG: " prefixes are kept so the dump reads like a
  // scheduler log; these lines never go to standard error.
  DUMP("DEBUG: StartPage...");
  DUMP("DEBUG: cupsPageSizeName = %s", BoundedPageSizeName(*h).c_str());
  DUMP("DEBUG: Duplex = %d", RawField(h->Duplex));
  DUMP("DEBUG: HWResolution = [ %d %d ]", h->HWResolution[0], h->HWResolution[1]);
  DUMP("DEBUG: ImagingBoundingBox = [ %d %d %d %d ]", h->ImagingBoundingBox[0], h->ImagingBoundingBox[1],
       h->ImagingBoundingBox[2], h->ImagingBoundingBox[3]);
  DUMP("DEBUG: Margins = [ %d %d ]", h->Margins[0], h->Margins[1]);
  DUMP("DEBUG: ManualFeed = %d", RawField(h->ManualFeed));
  DUMP("DEBUG: MediaPosition = %d", h->MediaPosition);
  DUMP("DEBUG: NumCopies = %d", h->NumCopies);
  DUMP("DEBUG: Orientation = %d", RawField(h->Orientation));
  DUMP("DEBUG: PageSize = [ %d %d ]", h->PageSize[0], h->PageSize[1]);
  DUMP("DEBUG: cupsWidth = %d", h->cupsWidth);
  DUMP("DEBUG: cupsHeight = %d", h->cupsHeight);
  DUMP("DEBUG: cupsMediaType = %d", h->cupsMediaType);
  DUMP("DEBUG: cupsBitsPerColor = %d", h->cupsBitsPerColor);
  DUMP("DEBUG: cupsBitsPerPixel = %d", h->cupsBitsPerPixel);
  DUMP("DEBUG: cupsBytesPerLine = %d", h->cupsBytesPerLine);
  DUMP("DEBUG: cupsColorOrder = %d", RawField(h->cupsColorOrder));
  DUMP("DEBUG: cupsColorSpace = %d", RawField(h->cupsColorSpace));
  DUMP("DEBUG: cupsCompression = %d", h->cupsCompression);
}
