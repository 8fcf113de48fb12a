// What the filter tells CUPS as the pages go: "PAGE:" and "ERROR:" lines on
// standard error, each error and page header also in the job log.
#pragma once

#include <csignal>
#include <cstdio>

#include "page/PageLoop.h"

namespace marvik::filter {

class CupsStatus : public page::PageEvents {
 public:
  // `canceled` becomes non-zero when the job is cancelled.
  CupsStatus(std::FILE* status, const volatile std::sig_atomic_t* canceled)
      : status_(status), canceled_(canceled) {}

  void HeaderRead(int number, const cups_page_header2_t& header, bool accepted) override;
  void PageWritten(int number, const cups_page_header2_t& header) override;
  void Error(const std::string& message) override;
  bool Canceled() override { return *canceled_ != 0; }

 private:
  std::FILE* status_;
  const volatile std::sig_atomic_t* canceled_;
};

}  // namespace marvik::filter
