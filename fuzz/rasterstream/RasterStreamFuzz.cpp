// Fuzz target: a whole raster stream through the page loop, the printer
// bytes and status lines thrown away.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "logging/marvlog.h"
#include "page/PageLoop.h"

namespace {

struct Unread {
  const uint8_t *next, *end;
};

struct Quiet : marvik::page::PageEvents {
  void HeaderRead(int, const cups_page_header2_t&, bool) override {}
  void Error(const std::string&) override {}
  bool Canceled() override { return false; }
};

}  // namespace

// libcups sizes its line buffers from a header before the page loop sees
// it: tools/run-fuzzers.sh gives this target a malloc limit above such requests.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = [] {  // log statements are formatted (that code runs too) but written nowhere
    marvlog::ILogManager& log = marvlog::ILogManager::getRef();
    log.setLoggerOutFile(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
    log.setLoggerDisplay(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
    return log.start();
  }();
  (void)quiet;
  Unread input{data, data + size};
  marvik::page::RasterInput raster(
      [](void* context, unsigned char* buffer, size_t length) {
        auto* in = static_cast<Unread*>(context);
        const size_t n = std::min(length, static_cast<size_t>(in->end - in->next));
        if (n > 0) std::memcpy(buffer, in->next, n);
        in->next += n;
        return static_cast<ssize_t>(n);
      },
      &input);
  marvik::page::PrinterOutput out([](void*, const void*, size_t n) { return static_cast<ssize_t>(n); },
                                  nullptr);
  Quiet events;
  marvik::page::FinishJob(marvik::page::RunPageLoop(raster, out, events), out, events);
  return 0;
}
