// Fuzz target: a whole raster stream through the filter's page work, the
// printer bytes and status lines thrown away.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "filter/PageLoop.h"
#include "logging/marvlog.h"

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
std::FILE* QuietSetUp() {
  marvlog::ILogManager& log = marvlog::ILogManager::getRef();
  log.setLoggerOutFile(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
  log.setLoggerDisplay(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
  log.start();
  return std::fopen("/dev/null", "w");
}

}  // namespace

// libcups sizes its line buffers from a header before the filter sees it:
// tools/run-fuzzers.sh gives this target a malloc limit above such requests.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::FILE* const status = QuietSetUp();
  static const volatile std::sig_atomic_t notCanceled = 0;
  Input input{data, data + size};
  marvik::filter::RasterInput raster(&Input::Read, &input);
  marvik::filter::PrinterOutput out(1, [](int, const void*, size_t n) { return static_cast<ssize_t>(n); });
  marvik::filter::FinishJob(marvik::filter::RunPageLoop(raster, out, status, &notCanceled), out, status);
  return 0;
}
