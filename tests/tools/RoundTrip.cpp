#include "tests/tools/RoundTrip.h"

#include <algorithm>
#include <numeric>

#include "logging/marvlog.h"
#include "printer/DotMatrixPrinter.h"

namespace marvik::test {

namespace {

bool Chance(std::mt19937& rng, double p) {
  return std::uniform_real_distribution<double>(0, 1)(rng) < p;
}

uint32_t Between(std::mt19937& rng, uint32_t low, uint32_t high) {
  return std::uniform_int_distribution<uint32_t>(low, high)(rng);
}

// Compares page i with raster page i, rendered at its resolution.
struct ComparingSink : preview::PageSink {
  ComparingSink(const std::vector<RasterPage>& raster, Outcome& outcome) : raster(raster), outcome(outcome) {}
  bool PageResolution(int32_t number, Resolution* resolution) override {
    *resolution = static_cast<size_t>(number) <= raster.size() ? raster[number - 1].resolution : Resolution{};
    return true;
  }
  bool TakePage(const preview::Page& page) override {
    const RasterPage none = WhitePage({}, 1, 1);
    const bool known = static_cast<size_t>(page.number) <= raster.size();
    outcome.compared.push_back(preview::ComparePage(*page.canvas, known ? raster[page.number - 1] : none));
    outcome.pages.push_back(page);
    outcome.pages.back().canvas = nullptr;
    return true;
  }
  const std::vector<RasterPage>& raster;
  Outcome& outcome;
};

}  // namespace

RasterPage WhitePage(Resolution resolution, uint32_t width, uint32_t height) {
  RasterPage page;
  page.resolution = resolution;
  page.width = width;
  page.height = height;
  page.bytesPerLine = (width + 7) / 8;
  page.bits.assign(static_cast<size_t>(page.bytesPerLine) * height, 0);
  return page;
}

void SetDot(RasterPage& page, uint32_t x, uint32_t y) {
  page.bits[static_cast<size_t>(y) * page.bytesPerLine + x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
}

void Fill(RasterPage& page, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h, double density,
          std::mt19937& rng) {
  for (uint32_t y = y0; y < std::min(page.height, y0 + h); ++y) {
    for (uint32_t x = x0; x < std::min(page.width, x0 + w); ++x) {
      if (density >= 1.0 || Chance(rng, density)) SetDot(page, x, y);
    }
  }
}

RasterPage RandomPage(Resolution r, std::mt19937& rng) {
  const uint32_t inch = static_cast<uint32_t>(r.x);
  const uint32_t step = inch / std::gcd(inch, 60u);  // columns of a whole ESC $ position
  const bool skip = Chance(rng, 0.5);
  RasterPage page = WhitePage(r, Between(rng, skip ? 2 * inch + 2 * step + 4 : 1, 3 * inch),
                              Between(rng, 1, 2 * static_cast<uint32_t>(r.y)));
  const uint32_t boxes = Between(rng, 0, 5);
  for (uint32_t i = 0; i < boxes; ++i) {
    const double densities[] = {0.02, 0.3, 0.7, 1.0};
    Fill(page, Between(rng, 0, page.width - 1), Between(rng, 0, page.height - 1), Between(rng, 1, page.width),
         Between(rng, 1, page.height), densities[Between(rng, 0, 3)], rng);
  }
  const uint32_t dots = Between(rng, 0, 20);
  for (uint32_t i = 0; i < dots; ++i)
    SetDot(page, Between(rng, 0, page.width - 1), Between(rng, 0, page.height - 1));
  if (skip) {
    // A white run just below, at or just above one inch, at any alignment to
    // the ESC $ step, between two dots of one row.
    const uint32_t left = Between(rng, 0, inch / 2);
    const uint32_t right = left + Between(rng, inch - 1, inch + step + 2);
    const uint32_t y = Between(rng, 0, page.height - 1);
    SetDot(page, left, y);
    Fill(page, right, y, Between(rng, 1, 3), 1, 1.0, rng);
  }
  if (Chance(rng, 0.3)) Fill(page, 0, page.height - std::min(page.height, 2u), page.width, 2, 0.3, rng);
  if (Chance(rng, 0.2) && page.width % 8 != 0) {
    // Padding bits past the width make a row non-blank but must not print.
    for (uint32_t y = 0; y < page.height; y += 3)
      page.bits[(y + 1) * page.bytesPerLine - 1] |= 0xFF >> (page.width % 8);
  }
  return page;
}

Bytes EncodePage(const RasterPage& page, int pins, bool noAdjacentDots) {
  // The encoder logs every band; the round trips look at its bytes only.
  marvlog::ILogManager::getRef().enableLogger(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
  DotMatrixPrinter::InitPageLength();
  DotMatrixPrinter printer(static_cast<pin_type_e>(pins), page.resolution.x, page.resolution.y);
  printer.SetPageLength(static_cast<int>(page.height * 72.0 / page.resolution.y + 0.5));
  printer.SetNoAdjacentDots(noAdjacentDots);
  printer.SetPage(page.bits.data(), page.bytesPerLine, page.width, page.height);
  Bytes stream;
  printer.PageFrame(stream);
  return stream;
}

std::string Outcome::Differences() const {
  std::string text;
  if (!run.ok()) text += "stream refused at byte " + std::to_string(run.offset) + ": " + run.message + "; ";
  if (compared.size() != rasterPages) text += std::to_string(compared.size()) + " pages printed; ";
  for (size_t i = 0; i < compared.size(); ++i) {
    if (compared[i].identical()) continue;
    text += "page " + std::to_string(i + 1) + ": " + std::to_string(compared[i].missing) + " missing, " +
            std::to_string(compared[i].extra) + " extra, rows";
    for (const preview::RowDifference& row : compared[i].firstRows) text += " " + std::to_string(row.row);
    text += "; ";
  }
  return text;
}

Outcome InterpretAndCompare(const Bytes& stream, const std::vector<RasterPage>& raster,
                            const preview::InterpreterOptions& options) {
  Outcome outcome;
  outcome.rasterPages = raster.size();
  ComparingSink sink(raster, outcome);
  outcome.run = preview::Interpret(stream.data(), stream.size(), options, sink);
  return outcome;
}

}  // namespace marvik::test
