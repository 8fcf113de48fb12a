// Arbitrary bytes through the printer-stream interpreter. The first byte
// picks the head, lenient mode, the render resolution and the impact
// emulation, and whether the same bytes are also read as the text the job
// is compared with (its long lines wrapped or cut) and as a font file; the
// rest is the stream. Every page is also described, as the tool does.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/GlyphFont.h"
#include "tools/preview/PageReport.h"
#include "tools/preview/TextCompare.h"

namespace {

using namespace marvik::preview;

struct DescribingSink : PageSink {
  explicit DescribingSink(Resolution resolution) : resolution(resolution) {}
  bool PageResolution(int32_t, Resolution* r) override {
    *r = resolution;
    return true;
  }
  bool TakePage(const Page& page) override {
    if (text) text->AddPage(page.number, *page.characters);
    return !DescribePage(page).empty();
  }
  Resolution resolution;
  std::unique_ptr<TextComparison> text;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static constexpr Resolution kResolutions[] = {{360, 360}, {180, 180}, {120, 180}, {160, 144}};
  InterpreterOptions options;
  options.head = (data[0] & 1) ? Head::kPins9 : Head::kPins24;
  options.lenient = (data[0] & 2) != 0;
  options.impact = (data[0] & 0x10) != 0;
  // Small bounds keep each input fast; the limit paths are what matter here.
  options.limits.maxPages = 64;
  options.limits.maxPageHeightInches = 40;
  options.limits.maxCanvasBytes = size_t{8} << 20;
  options.limits.maxPageCharacters = 4096;
  DescribingSink sink(kResolutions[(data[0] >> 2) & 3]);
  if (data[0] & 0x20) {
    sink.text =
        std::make_unique<TextComparison>(LayOutText(DecodeText(data + 1, size - 1)), (data[0] & 0x40) != 0);
  }
  Interpret(data + 1, size - 1, options, sink);
  if (sink.text) sink.text->Finish();
  if (data[0] & 0x80) ParseHexFont(reinterpret_cast<const char*>(data + 1), size - 1);
  return 0;
}
