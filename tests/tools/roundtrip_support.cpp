#include "roundtrip_support.h"

#include <algorithm>

#include "logging/marvlog.h"
#include "printer/DotMatrixPrinter.h"

namespace roundtrip {

const Resolution kPpdResolutions[5] = {{120, 180}, {180, 180}, {360, 180}, {180, 360}, {360, 360}};
const Pattern kPatterns[8] = {Pattern::kBlank,   Pattern::kBlack,       Pattern::kText,      Pattern::kGrid,
                              Pattern::kOddRows, Pattern::kBottomRight, Pattern::kWhiteRuns, Pattern::kTall};

namespace {

bool Chance(std::mt19937& rng, double p) {
  return std::uniform_real_distribution<double>(0, 1)(rng) < p;
}

uint32_t Between(std::mt19937& rng, uint32_t low, uint32_t high) {
  return std::uniform_int_distribution<uint32_t>(low, high)(rng);
}

void FillBox(RasterPage& page, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h, double density,
             std::mt19937& rng) {
  for (uint32_t y = y0; y < std::min(page.height, y0 + h); ++y) {
    for (uint32_t x = x0; x < std::min(page.width, x0 + w); ++x) {
      if (density >= 1.0 || Chance(rng, density)) SetDot(page, x, y);
    }
  }
}

// Lines of words, each word a box of random ink.
void TextBlocks(RasterPage& page, std::mt19937& rng) {
  uint32_t line = std::max<uint32_t>(page.resolution.y / 6, 8);
  uint32_t glyph = std::max<uint32_t>(page.resolution.x / 12, 2);
  for (uint32_t top = line / 4; top + line <= page.height; top += line) {
    uint32_t x = Between(rng, 0, 3 * glyph);
    while (x < page.width) {
      uint32_t word = Between(rng, 1, 10) * glyph;
      FillBox(page, x, top, word, line * 2 / 3, 0.4, rng);
      x += word + Between(rng, 1, 30) * glyph / 2;
    }
  }
}

void FillSolid(RasterPage& page, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h) {
  for (uint32_t y = y0; y < std::min(page.height, y0 + h); ++y) {
    for (uint32_t x = x0; x < std::min(page.width, x0 + w); ++x) SetDot(page, x, y);
  }
}

// Two-column dot pairs separated by white runs just below, at and above the
// one-inch skip threshold, at several alignments to the 1/60 in step. Returns
// the width the runs need, plus a wide white right margin.
uint32_t WhiteRuns(RasterPage* page, Resolution resolution) {
  uint32_t inch = resolution.x;
  uint32_t step = inch / 60;
  const uint32_t runs[] = {inch - 1, inch,        inch + 1,        inch + 2,
                           inch + 3, inch + step, inch + step + 1, 2 * inch + 5};
  const uint32_t starts[] = {0, 1, 2, 3, 4, 5, inch + 2};
  uint32_t stripe = resolution.y / 4;
  uint32_t widest = 0;
  for (size_t s = 0; s < sizeof starts / sizeof starts[0]; ++s) {
    uint32_t x = starts[s];
    uint32_t top = static_cast<uint32_t>(s) * stripe;
    for (uint32_t run : runs) {
      if (page != nullptr) FillSolid(*page, x, top, 2, 3);
      x += 2 + run;
    }
    if (page != nullptr) FillSolid(*page, x, top + 1, 1, 1);
    widest = std::max(widest, x + 1);
  }
  return widest + 2 * inch + 1;
}

}  // namespace

const char* PatternName(Pattern pattern) {
  switch (pattern) {
    case Pattern::kBlank:
      return "Blank";
    case Pattern::kBlack:
      return "FullBlack";
    case Pattern::kText:
      return "TextBlocks";
    case Pattern::kGrid:
      return "DotGrid";
    case Pattern::kOddRows:
      return "OddRowsOnly";
    case Pattern::kBottomRight:
      return "BottomRowsAndRightColumn";
    case Pattern::kWhiteRuns:
      return "WhiteRunsAroundOneInch";
    case Pattern::kTall:
      return "TallPage";
  }
  return "?";
}

RasterPage MakePage(Pattern pattern, Resolution r, std::mt19937& rng) {
  uint32_t rx = static_cast<uint32_t>(r.x);
  uint32_t ry = static_cast<uint32_t>(r.y);
  switch (pattern) {
    case Pattern::kBlank:
      return WhitePage(r, 2 * rx + 3, ry);
    case Pattern::kBlack: {
      RasterPage page = WhitePage(r, 2 * rx + 5, ry + 7);
      // The padding bits after the last pixel are set too: they must not print.
      std::fill(page.bits.begin(), page.bits.end(), 0xFF);
      return page;
    }
    case Pattern::kText: {
      RasterPage page = WhitePage(r, 4 * rx + 1, 2 * ry);
      TextBlocks(page, rng);
      return page;
    }
    case Pattern::kGrid: {
      RasterPage page = WhitePage(r, 3 * rx + 3, ry + ry / 2);
      for (uint32_t y = 5; y < page.height; y += 13) {
        for (uint32_t x = 3; x < page.width; x += 17) SetDot(page, x, y);
      }
      SetDot(page, 0, 0);
      return page;
    }
    case Pattern::kOddRows: {
      RasterPage page = WhitePage(r, 2 * rx + 1, ry);
      for (uint32_t y = 1; y < page.height; y += 2) FillBox(page, 0, y, page.width, 1, 0.3, rng);
      return page;
    }
    case Pattern::kBottomRight: {
      RasterPage page = WhitePage(r, 2 * rx + 7, ry + 5);
      FillBox(page, 0, page.height - 3, page.width, 3, 0.5, rng);
      for (uint32_t y = 0; y < page.height; y += 3) SetDot(page, page.width - 1, y);
      SetDot(page, page.width - 1, page.height - 1);
      return page;
    }
    case Pattern::kWhiteRuns: {
      RasterPage page = WhitePage(r, WhiteRuns(nullptr, r), 2 * ry);
      WhiteRuns(&page, r);
      return page;
    }
    case Pattern::kTall: {
      // 190 inches: the blank stretch between the top and the bottom rows is
      // longer than one 16-bit fine feed can carry at 360 dpi.
      RasterPage page = WhitePage(r, rx + 3, 190 * ry);
      FillBox(page, 0, 0, page.width, ry / 10, 0.3, rng);
      FillBox(page, 0, page.height - 2, page.width, 2, 0.5, rng);
      return page;
    }
  }
  return WhitePage(r, 1, 1);
}

RasterPage RandomPage(Resolution r, std::mt19937& rng) {
  RasterPage page = WhitePage(r, Between(rng, 1, 3 * static_cast<uint32_t>(r.x)),
                              Between(rng, 1, 2 * static_cast<uint32_t>(r.y)));
  uint32_t boxes = Between(rng, 0, 6);
  for (uint32_t i = 0; i < boxes; ++i) {
    uint32_t x = Between(rng, 0, page.width - 1);
    uint32_t y = Between(rng, 0, page.height - 1);
    const double densities[] = {0.02, 0.3, 0.7, 1.0};
    FillBox(page, x, y, Between(rng, 1, page.width), Between(rng, 1, page.height),
            densities[Between(rng, 0, 3)], rng);
  }
  uint32_t dots = Between(rng, 0, 20);
  for (uint32_t i = 0; i < dots; ++i)
    SetDot(page, Between(rng, 0, page.width - 1), Between(rng, 0, page.height - 1));
  return page;
}

std::vector<uint8_t> EncodeInProcess(const RasterPage& page, int pins) {
  // The encoder logs every band; these tests look at its bytes only.
  marvlog::ILogManager::getRef().enableLogger(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
  DotMatrixPrinter::InitPageLength();
  DotMatrixPrinter printer(static_cast<pin_type_e>(pins), page.resolution.x, page.resolution.y);
  printer.SetPageLength(static_cast<int>(page.height * 72.0 / page.resolution.y + 0.5));
  printer.SetPage(page.bits.data(), page.bytesPerLine, page.width, page.height);
  std::vector<uint8_t> stream;
  printer.PageFrame(stream);
  return stream;
}

namespace {

class ComparingSink : public marvik::preview::PageSink {
 public:
  ComparingSink(const std::vector<RasterPage>& raster, Outcome* outcome)
      : raster_(raster), outcome_(outcome) {}
  bool PageResolution(int32_t number, Resolution* resolution) override {
    size_t index = static_cast<size_t>(number - 1);
    *resolution = index < raster_.size() ? raster_[index].resolution : Resolution{};
    return true;
  }
  bool TakePage(const marvik::preview::Page& page) override {
    size_t index = static_cast<size_t>(page.number - 1);
    if (index < raster_.size()) {
      outcome_->pages.push_back(marvik::preview::ComparePage(*page.canvas, raster_[index]));
    } else {
      ++outcome_->unmatchedPages;
    }
    return true;
  }

 private:
  const std::vector<RasterPage>& raster_;
  Outcome* outcome_;
};

}  // namespace

bool Outcome::identical() const {
  if (!run.ok() || unmatchedPages != 0) return false;
  for (const marvik::preview::PageComparison& page : pages) {
    if (!page.identical()) return false;
  }
  return true;
}

std::string Outcome::Describe() const {
  std::string text;
  if (!run.ok()) text += "stream refused at byte " + std::to_string(run.offset) + ": " + run.message + "; ";
  if (unmatchedPages != 0) text += std::to_string(unmatchedPages) + " unmatched pages; ";
  for (size_t i = 0; i < pages.size(); ++i) {
    if (pages[i].identical()) continue;
    text += "page " + std::to_string(i + 1) + ": " + std::to_string(pages[i].missing) + " missing, " +
            std::to_string(pages[i].extra) + " extra, rows";
    for (const marvik::preview::RowDifference& row : pages[i].firstRows) text += " " + std::to_string(row.row);
    text += "; ";
  }
  return text.empty() ? "identical" : text;
}

Outcome InterpretAndCompare(const std::vector<uint8_t>& stream, const std::vector<RasterPage>& raster,
                            marvik::preview::Head head) {
  Outcome outcome;
  ComparingSink sink(raster, &outcome);
  marvik::preview::InterpreterOptions options;
  options.head = head;
  outcome.run = marvik::preview::Interpret(stream.data(), stream.size(), options, sink);
  if (outcome.run.ok() && outcome.pages.size() < raster.size()) {
    outcome.unmatchedPages += static_cast<int32_t>(raster.size() - outcome.pages.size());
  }
  return outcome;
}

}  // namespace roundtrip
