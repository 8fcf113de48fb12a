// Round trips: a page goes through the encoder, the preview interprets the
// printer bytes, and every dot must land where the page had it. The preview
// knows the printer commands, not the encoder, so it is the encoder's oracle.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "logging/marvlog.h"
#include "printer/DotMatrixPrinter.h"
#include "tests/printer/HexBytes.h"
#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/PageCompare.h"
#include "tools/preview/PageReport.h"
#include "tools/preview/RasterPages.h"

namespace marvik::test {

using preview::RasterPage;
using preview::Resolution;

inline RasterPage WhitePage(Resolution resolution, uint32_t width, uint32_t height) {
  const uint32_t bytesPerLine = (width + 7) / 8;
  return {resolution, width, height, bytesPerLine, std::vector<uint8_t>(size_t{bytesPerLine} * height, 0)};
}

inline void SetDot(RasterPage& page, uint32_t x, uint32_t y) {
  page.bits[static_cast<size_t>(y) * page.bytesPerLine + x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
}

// Dots in the rectangle, each with probability `density`.
inline void Fill(RasterPage& page, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h, double density,
                 std::mt19937& rng) {
  for (uint32_t y = y0; y < std::min(page.height, y0 + h); ++y) {
    for (uint32_t x = x0; x < std::min(page.width, x0 + w); ++x) {
      if (density >= 1.0 || std::uniform_real_distribution<double>(0, 1)(rng) < density) SetDot(page, x, y);
    }
  }
}

// The page as the printer receives it from the printer library, as long as
// the page.
inline Bytes EncodePage(const RasterPage& page, int pins = 24, bool noAdjacentDots = false) {
  // The encoder logs every band; the round trips look at its bytes only.
  marvlog::ILogManager::getRef().enableLogger(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
  DotMatrixPrinter printer(static_cast<pin_type_e>(pins), page.resolution.x, page.resolution.y);
  printer.SetFormLength(page.height * 72.0 / page.resolution.y, 1);
  printer.SetNoAdjacentDots(noAdjacentDots);
  printer.SetPage(page.bits.data(), page.bytesPerLine, page.width, page.height);
  Bytes stream;
  printer.PageFrame(stream);
  return stream;
}

// Interprets a stream, rendering page i at the resolution of raster page i
// (360 dpi past the last), describes each page and compares it with its
// raster page.
struct Outcome : preview::PageSink {
  Outcome(const Bytes& stream, std::vector<RasterPage> raster,
          const preview::InterpreterOptions& options = {})
      : raster(std::move(raster)) {
    run = preview::Interpret(stream.data(), stream.size(), options, *this);
  }
  bool PageResolution(int32_t number, Resolution* resolution) override {
    *resolution = static_cast<size_t>(number) <= raster.size() ? raster[number - 1].resolution : Resolution{};
    return true;
  }
  bool TakePage(const preview::Page& page) override {
    const bool known = static_cast<size_t>(page.number) <= raster.size();
    compared.push_back(
        preview::ComparePage(*page.canvas, known ? raster[page.number - 1] : WhitePage({}, 1, 1)));
    texts.push_back(preview::DescribePage(page));
    pages.push_back(page);
    pages.back().canvas = nullptr;
    pages.back().characters = nullptr;
    characters.push_back(*page.characters);
    return true;
  }
  // What differs, empty when every page printed exactly its raster page.
  std::string Differences() const {
    std::string text =
        run.ok() ? "" : "stream refused at byte " + std::to_string(run.offset) + ": " + run.message;
    if (compared.size() != raster.size()) text += "; " + std::to_string(compared.size()) + " pages printed";
    for (size_t i = 0; i < compared.size(); ++i) {
      if (compared[i].identical()) continue;
      text += "; page " + std::to_string(i + 1) + ": " + std::to_string(compared[i].missing) + " missing, " +
              std::to_string(compared[i].extra) + " extra, from row " +
              std::to_string(compared[i].firstRows.empty() ? 0 : compared[i].firstRows[0].row);
    }
    return text;
  }

  std::vector<RasterPage> raster;
  preview::RunResult run;
  // Their canvases and characters are gone: see `texts`, `compared` and `characters`.
  std::vector<preview::Page> pages;
  std::vector<std::vector<preview::PrintedCharacter>> characters;
  std::vector<std::string> texts;
  std::vector<preview::PageComparison> compared;
};

}  // namespace marvik::test
