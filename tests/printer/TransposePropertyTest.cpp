// The library's word-wise band transposition against the bit-by-bit
// reference, on random pages at every head and resolution.
#include <gtest/gtest.h>

#include <random>

#include "HexBytes.h"
#include "ReferenceEncoder.h"
#include "printer/MarvikESCP.h"

namespace {

struct Geometry {
  pin_type_e pins;
  int dpiX, dpiY;
};

const Geometry kGeometries[] = {
    {PIN_TYPE_24, 360, 360}, {PIN_TYPE_24, 360, 180}, {PIN_TYPE_24, 180, 180}, {PIN_TYPE_24, 120, 180},
    {PIN_TYPE_24, 180, 360}, {PIN_TYPE_24, 60, 180},  {PIN_TYPE_18, 180, 180}, {PIN_TYPE_18, 360, 180},
    {PIN_TYPE_18, 360, 360}, {PIN_TYPE_9, 160, 144},  {PIN_TYPE_9, 160, 72},   {PIN_TYPE_9, 80, 72},
};

// A random page: ink of a random density, blank row stretches, long white
// column stretches and, now and then, ink in the padding bits past `width`.
std::vector<unsigned char> RandomPage(std::mt19937& rng, uint64_t width, uint64_t bytesPerLine,
                                      uint64_t height) {
  std::vector<unsigned char> bits(bytesPerLine * height, 0);
  const double density = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
  const double lowDensity = density * density * density;  // often sparse
  std::bernoulli_distribution ink(lowDensity);
  std::uniform_int_distribution<uint64_t> col(0, width - 1), row(0, height - 1);
  const uint64_t gapFrom = col(rng), gapTo = std::min<uint64_t>(width, gapFrom + col(rng) * 2);
  const uint64_t blankFrom = row(rng), blankTo = std::min<uint64_t>(height, blankFrom + row(rng));
  for (uint64_t y = 0; y < height; ++y) {
    if (y >= blankFrom && y < blankTo) continue;
    for (uint64_t x = 0; x < width; ++x) {
      if ((x >= gapFrom && x < gapTo) || !ink(rng)) continue;
      bits[y * bytesPerLine + x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
    }
    if (bytesPerLine * 8 > width && std::bernoulli_distribution(0.05)(rng)) {
      bits[y * bytesPerLine + bytesPerLine - 1] |= 1;  // padding bit: counts only as "not blank"
    }
  }
  return bits;
}

}  // namespace

TEST(TransposeProperty, FastEqualsBitwiseReferenceOnRandomPages) {
  std::mt19937 rng(20261206);
  for (const Geometry& g : kGeometries) {
    for (int round = 0; round < 25; ++round) {
      const uint64_t width = std::uniform_int_distribution<uint64_t>(1, 1200)(rng);
      const uint64_t bytesPerLine = (width + 7) / 8 + std::uniform_int_distribution<uint64_t>(0, 2)(rng);
      const uint64_t height = std::uniform_int_distribution<uint64_t>(1, 260)(rng);
      const std::vector<unsigned char> page = RandomPage(rng, width, bytesPerLine, height);

      MarvikESCP fast(g.pins, g.dpiX, g.dpiY);
      MarvikESCP reference(g.pins, g.dpiX, g.dpiY);
      ASSERT_EQ(fast.DotMatrix2Page(page.data(), bytesPerLine, width, height), 1);
      printer_test::ReferenceEncodePage(reference, page.data(), bytesPerLine, width, height);
      ASSERT_EQ(printer_test::ToHex(fast.PrinterData()), printer_test::ToHex(reference.PrinterData()))
          << g.pins << " pins " << g.dpiX << "x" << g.dpiY << ", width " << width << ", bytesPerLine "
          << bytesPerLine << ", height " << height << ", round " << round;
    }
  }
}
