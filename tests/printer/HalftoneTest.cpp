// Ordered dithering of gray into dots.
#include <gtest/gtest.h>

#include <vector>

#include "printer/MarvikESCP.h"

namespace {

std::vector<unsigned char> Dither(unsigned char gray, int width, int height, MarvikESCP::Halftone pattern) {
  const std::vector<unsigned char> image(static_cast<size_t>(width * height), gray);
  std::vector<unsigned char> out(image.size(), 9);
  EXPECT_EQ(MarvikESCP::Gray2DotMatrix(image.data(), width, width, height, out, pattern), 1);
  return out;
}

}  // namespace

TEST(Halftone, SolidGraysAndKnownThresholds) {
  for (auto pattern :
       {MarvikESCP::HT_AUTO, MarvikESCP::HT_SUPERCELL, MarvikESCP::HT_6X6, MarvikESCP::HT_8X8}) {
    EXPECT_EQ(Dither(0, 32, 32, pattern), std::vector<unsigned char>(32 * 32, 1)) << pattern;
    EXPECT_EQ(Dither(255, 32, 32, pattern), std::vector<unsigned char>(32 * 32, 0)) << pattern;
  }
  // Gray 1 misses only the threshold 1 of the 6 x 6 matrix: row 1, column 5.
  const std::vector<unsigned char> g1 = Dither(1, 12, 12, MarvikESCP::HT_6X6);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      EXPECT_EQ(g1[y * 12 + x], (y % 6 == 1 && x % 6 == 5) ? 0 : 1) << x << "," << y;
    }
  }
  const std::vector<unsigned char> g128 = Dither(128, 8, 8, MarvikESCP::HT_8X8);
  EXPECT_EQ(std::vector<unsigned char>(g128.begin(), g128.begin() + 8),
            (std::vector<unsigned char>{1, 0, 0, 0, 0, 0, 0, 1}));
  // The supercell's smallest entries: 1 at (1, 13) and (9, 5).
  const std::vector<unsigned char> s1 = Dither(1, 16, 16, MarvikESCP::HT_SUPERCELL);
  EXPECT_EQ(s1[1 * 16 + 13], 0);
  EXPECT_EQ(s1[9 * 16 + 5], 0);
  EXPECT_EQ(s1[1 * 16 + 5], 1);  // threshold 2
  // Auto is the 6 x 6 pattern.
  for (unsigned char gray : {40, 100, 200}) {
    EXPECT_EQ(Dither(gray, 13, 7, MarvikESCP::HT_AUTO), Dither(gray, 13, 7, MarvikESCP::HT_6X6));
  }
}

TEST(Halftone, StrideAndRefusals) {
  // Stride 5, width 3: the bytes past the width keep their value.
  const std::vector<unsigned char> image(10, 0);
  std::vector<unsigned char> out(10, 7);
  EXPECT_EQ(MarvikESCP::Gray2DotMatrix(image.data(), 5, 3, 2, out, MarvikESCP::HT_8X8), 1);
  EXPECT_EQ(out, (std::vector<unsigned char>{1, 1, 1, 7, 7, 1, 1, 1, 7, 7}));

  struct Case {
    const char* name;
    bool nullImage;
    size_t outSize;
    int stride, width, height;
    int pattern;
  };
  const Case cases[] = {
      {"null image", true, 10, 5, 3, 2, 0},       {"empty out", false, 0, 5, 3, 2, 0},
      {"out too small", false, 7, 5, 3, 2, 0},    {"unknown pattern", false, 10, 5, 3, 2, 4},
      {"negative width", false, 10, 5, -3, 2, 0}, {"negative stride", false, 10, -5, 3, 2, 0},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> small(c.outSize, 7);
    EXPECT_EQ(MarvikESCP::Gray2DotMatrix(c.nullImage ? nullptr : image.data(), c.stride, c.width, c.height,
                                         small, static_cast<MarvikESCP::Halftone>(c.pattern)),
              -1)
        << c.name;
    EXPECT_EQ(small, std::vector<unsigned char>(c.outSize, 7)) << c.name;
  }
}
