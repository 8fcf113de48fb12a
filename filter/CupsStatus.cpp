#include "filter/CupsStatus.h"

#include "filter/JobHooks.h"
#include "filter/PageDiagnostics.h"
#include "logging/marvlog.h"

namespace marvik::filter {

void CupsStatus::HeaderRead(int number, const cups_page_header2_t& header, bool accepted) {
  if (accepted) std::fprintf(status_, "PAGE: %d %d\n", number, header.NumCopies);
  StartPage(nullptr, &header);  // a refused header is logged whole too
}

void CupsStatus::PageWritten(int, const cups_page_header2_t& header) {
  EndPage(&header);
}

void CupsStatus::Error(const std::string& message) {
  std::fprintf(status_, "ERROR: %s\n", message.c_str());
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "ERROR: %s", message.c_str());
}

}  // namespace marvik::filter
