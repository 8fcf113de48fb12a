// Fuzz target: arbitrary bytes through the printer-stream interpreter. The
// first byte picks the head, lenient mode and the render resolution; the
// rest is the stream. Every page is also described, as the tool does.
#include <cstddef>
#include <cstdint>

#include "preview/escp_interpreter.h"
#include "preview/page_report.h"

namespace {

class DescribingSink : public escpreview::PageSink {
 public:
  explicit DescribingSink(escpreview::Resolution resolution) : resolution_(resolution) {}
  bool PageResolution(int32_t, escpreview::Resolution* resolution) override {
    *resolution = resolution_;
    return true;
  }
  bool TakePage(const escpreview::Page& page) override { return !escpreview::DescribePage(page).empty(); }

 private:
  escpreview::Resolution resolution_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static constexpr escpreview::Resolution kResolutions[] = {{360, 360}, {180, 180}, {120, 180}, {160, 144}};
  escpreview::InterpreterOptions options;
  options.head = (data[0] & 1) ? escpreview::Head::kPins9 : escpreview::Head::kPins24;
  options.lenient = (data[0] & 2) != 0;
  // Small bounds keep each input fast; the limit paths are what matter here.
  options.limits.maxPages = 64;
  options.limits.maxPageHeightInches = 40;
  options.limits.maxCanvasBytes = size_t{8} << 20;
  DescribingSink sink(kResolutions[(data[0] >> 2) & 3]);
  escpreview::Interpret(data + 1, size - 1, options, sink);
  return 0;
}
