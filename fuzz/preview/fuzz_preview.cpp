// Fuzz target: arbitrary bytes through the printer-stream interpreter. The
// first byte picks the head, lenient mode and the render resolution; the
// rest is the stream. Every page is also described, as the tool does.
#include <cstddef>
#include <cstdint>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/PageReport.h"

namespace {

class DescribingSink : public marvik::preview::PageSink {
 public:
  explicit DescribingSink(marvik::preview::Resolution resolution) : resolution_(resolution) {}
  bool PageResolution(int32_t, marvik::preview::Resolution* resolution) override {
    *resolution = resolution_;
    return true;
  }
  bool TakePage(const marvik::preview::Page& page) override { return !marvik::preview::DescribePage(page).empty(); }

 private:
  marvik::preview::Resolution resolution_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static constexpr marvik::preview::Resolution kResolutions[] = {{360, 360}, {180, 180}, {120, 180}, {160, 144}};
  marvik::preview::InterpreterOptions options;
  options.head = (data[0] & 1) ? marvik::preview::Head::kPins9 : marvik::preview::Head::kPins24;
  options.lenient = (data[0] & 2) != 0;
  // Small bounds keep each input fast; the limit paths are what matter here.
  options.limits.maxPages = 64;
  options.limits.maxPageHeightInches = 40;
  options.limits.maxCanvasBytes = size_t{8} << 20;
  DescribingSink sink(kResolutions[(data[0] >> 2) & 3]);
  marvik::preview::Interpret(data + 1, size - 1, options, sink);
  return 0;
}
