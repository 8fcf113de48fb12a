// Fuzz target: a whole raster stream through the page loop, the printer
// bytes and status lines thrown away.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "logging/marvlog.h"
#include "page/PageLoop.h"

namespace {

struct Input {
  const uint8_t *data, *end;
  static ssize_t Read(void* self, unsigned char* buffer, size_t length) {
    auto* in = static_cast<Input*>(self);
    const size_t n = std::min(length, static_cast<size_t>(in->end - in->data));
    if (n > 0) std::memcpy(buffer, in->data, n);
    in->data += n;
    return static_cast<ssize_t>(n);
  }
};

// Log statements are formatted (that code runs too) but written nowhere.
void QuietSetUp() {
  marvlog::ILogManager& log = marvlog::ILogManager::getRef();
  log.setLoggerOutFile(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
  log.setLoggerDisplay(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
  log.start();
}

struct Quiet : marvik::page::PageEvents {
  void HeaderRead(int, const cups_page_header2_t&, bool) override {}
  void Error(const std::string&) override {}
  bool Canceled() override { return false; }
};

ssize_t Discard(void*, const void*, size_t n) {
  return static_cast<ssize_t>(n);
}

}  // namespace

// libcups sizes its line buffers from a header before the page loop sees
// it: tools/run-fuzzers.sh gives this target a malloc limit above such requests.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = (QuietSetUp(), true);
  (void)quiet;
  Input input{data, data + size};
  Quiet events;
  marvik::page::RasterInput raster(&Input::Read, &input);
  marvik::page::PrinterOutput out(Discard, nullptr);
  marvik::page::FinishJob(marvik::page::RunPageLoop(raster, out, events), out, events);
  return 0;
}
