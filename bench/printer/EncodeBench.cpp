// Pages per second and raster MB per second of the page walk on A4 pages
// (text-like, full black, blank) at 180 x 180, 360 x 180 and 360 x 360, for
// the library's word-wise transposition and the bit-by-bit reference.
// Logging is switched off so that the encoder alone is measured.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/printer/ReferenceEncoder.h"
#include "logging/marvlog.h"
#include "printer/MarvikESCP.h"

namespace {

constexpr double kA4WidthInches = 8.27;
constexpr double kA4HeightInches = 11.69;

enum class Content { kText, kBlack, kBlank };

struct Page {
  uint64_t width, bytesPerLine, height;
  std::vector<unsigned char> bits;
};

uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  return x ^ (x >> 16);
}

// Text-like: half-inch margins, lines 1/6 inch apart, glyph boxes 1/10 inch
// wide and 0.1 inch tall with strokes inside, spaces and ragged line ends.
Page MakePage(int dpiX, int dpiY, Content content) {
  Page p;
  p.width = static_cast<uint64_t>(kA4WidthInches * dpiX);
  p.bytesPerLine = (p.width + 7) / 8;
  p.height = static_cast<uint64_t>(kA4HeightInches * dpiY);
  p.bits.assign(p.bytesPerLine * p.height, content == Content::kBlack ? 0xFF : 0x00);
  if (content != Content::kText) return p;
  const uint64_t margin = dpiX / 2, top = dpiY / 2, linePitch = dpiY / 6, glyphHeight = dpiY / 10;
  const uint64_t cell = dpiX / 10, glyphWidth = cell * 7 / 10;
  for (uint64_t line = 0; top + (line + 1) * linePitch < p.height - top; ++line) {
    const uint64_t lineEnd =
        p.width - margin - (Hash(static_cast<uint32_t>(line)) % 4 == 0 ? p.width / 3 : 0);
    for (uint64_t c = 0; margin + (c + 1) * cell < lineEnd; ++c) {
      const uint32_t glyph = Hash(static_cast<uint32_t>(line * 131 + c));
      if (glyph % 7 == 0) continue;  // space
      for (uint64_t y = 0; y < glyphHeight; ++y) {
        for (uint64_t x = 0; x < glyphWidth; ++x) {
          const bool stem = (x * 4 / glyphWidth) == (glyph >> 3) % 4;
          const bool bar = (y * 5 / glyphHeight) == (glyph >> 5) % 5;
          if (!stem && !bar) continue;
          const uint64_t px = margin + c * cell + x, py = top + line * linePitch + y;
          p.bits[py * p.bytesPerLine + px / 8] |= static_cast<unsigned char>(0x80 >> (px % 8));
        }
      }
    }
  }
  return p;
}

void Encode(benchmark::State& state, int dpiX, int dpiY, Content content, bool reference) {
  const Page page = MakePage(dpiX, dpiY, content);
  MarvikESCP enc(PIN_TYPE_24, dpiX, dpiY);
  for (auto _ : state) {
    if (reference) {
      marvik::bench::ReferenceEncodePage(enc, page.bits.data(), page.bytesPerLine, page.width, page.height);
    } else {
      enc.DotMatrix2Page(page.bits.data(), page.bytesPerLine, page.width, page.height);
    }
    benchmark::DoNotOptimize(enc.PrinterData().data());
  }
  state.SetItemsProcessed(state.iterations());  // items/s = pages/s
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.bits.size()));
  state.counters["body_KB"] = static_cast<double>(enc.PrinterData().size()) / 1024.0;
}

void RegisterAll() {
  const struct {
    const char* name;
    Content content;
  } contents[] = {{"text", Content::kText}, {"black", Content::kBlack}, {"blank", Content::kBlank}};
  const int resolutions[][2] = {{180, 180}, {360, 180}, {360, 360}};
  for (const auto& c : contents) {
    for (const auto& r : resolutions) {
      for (bool reference : {false, true}) {
        const std::string name = std::string("A4/") + c.name + "/" + std::to_string(r[0]) + "x" +
                                 std::to_string(r[1]) + (reference ? "/reference" : "/fast");
        benchmark::RegisterBenchmark(name.c_str(), Encode, r[0], r[1], c.content, reference)
            ->Unit(benchmark::kMillisecond);
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  marvlog::ILogManager::getRef().enableLogger(marvlog::MARVLOG_MAIN_LOGGER_ID, false);
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
