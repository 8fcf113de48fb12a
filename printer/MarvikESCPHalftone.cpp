// Ordered dithering of 8-bit gray into dots: a pixel becomes a dot when its
// gray value is below the threshold of a small matrix tiled over the page.
#include "printer/MarvikESCP.h"

namespace {

// Every threshold lies in 1..254, so black (0) is always a dot and white
// (255) never is.
constexpr unsigned char kMatrix6x6[6 * 6] = {
    47,  73,  110, 96,  63,  34,   //
    15,  126, 214, 188, 29,  1,    //
    54,  83,  165, 144, 40,  25,   //
    102, 68,  37,  51,  78,  118,  //
    201, 32,  7,   24,  135, 229,  //
    154, 43,  27,  59,  89,  176,  //
};

constexpr unsigned char kMatrix8x8[8 * 8] = {
    248, 99,  76,  47,  51,  65,  106, 209,  //
    224, 183, 43,  13,  2,   56,  150, 196,  //
    171, 140, 40,  25,  17,  30,  114, 160,  //
    131, 85,  60,  36,  33,  71,  92,  122,  //
    53,  68,  102, 202, 231, 95,  79,  49,   //
    6,   58,  145, 189, 216, 177, 45,  24,   //
    29,  31,  110, 155, 166, 135, 41,  26,   //
    34,  73,  88,  118, 126, 82,  63,  38,   //
};

constexpr unsigned char kSupercell16x16[16 * 16] = {
    47,  143, 35,  195, 52,  134, 32,  182, 48,  146, 36,  199, 53,  132, 31,  181,  //
    96,  8,   74,  22,  104, 2,   69,  20,  97,  13,  76,  23,  106, 1,   68,  20,   //
    46,  254, 61,  166, 42,  245, 66,  252, 45,  218, 60,  161, 41,  245, 67,  250,  //
    95,  28,  121, 17,  87,  30,  128, 19,  93,  27,  119, 16,  85,  31,  131, 19,   //
    56,  142, 34,  193, 51,  150, 37,  204, 55,  139, 33,  188, 50,  153, 38,  208,  //
    112, 7,   73,  22,  103, 15,  78,  24,  109, 4,   72,  21,  101, 15,  80,  25,   //
    40,  245, 64,  172, 44,  210, 57,  155, 39,  239, 63,  169, 43,  214, 59,  158,  //
    83,  29,  126, 18,  91,  25,  113, 16,  81,  28,  123, 18,  89,  26,  115, 16,   //
    49,  147, 36,  201, 53,  132, 32,  181, 48,  145, 35,  197, 52,  135, 32,  184,  //
    99,  14,  77,  23,  107, 1,   69,  20,  96,  10,  75,  22,  105, 2,   70,  21,   //
    45,  216, 59,  159, 40,  245, 66,  247, 46,  221, 61,  164, 42,  245, 65,  252,  //
    92,  26,  117, 16,  84,  30,  130, 19,  94,  27,  120, 17,  86,  30,  127, 18,   //
    54,  136, 33,  186, 49,  152, 38,  206, 55,  140, 34,  189, 50,  149, 37,  203,  //
    108, 3,   71,  21,  100, 15,  79,  24,  110, 6,   73,  22,  102, 14,  77,  24,   //
    38,  234, 62,  167, 43,  212, 58,  156, 39,  242, 64,  171, 44,  210, 57,  155,  //
    81,  28,  122, 17,  88,  26,  114, 16,  83,  29,  125, 18,  90,  25,  113, 15,   //
};

struct Matrix {
  const unsigned char* cells;
  int64_t size;
};

bool MatrixFor(MarvikESCP::Halftone pattern, Matrix& matrix) {
  switch (pattern) {
    case MarvikESCP::HT_AUTO:
    case MarvikESCP::HT_6X6:
      matrix = {kMatrix6x6, 6};
      return true;
    case MarvikESCP::HT_SUPERCELL:
      matrix = {kSupercell16x16, 16};
      return true;
    case MarvikESCP::HT_8X8:
      matrix = {kMatrix8x8, 8};
      return true;
  }
  return false;
}

}  // namespace

int32_t MarvikESCP::Gray2DotMatrix(const unsigned char* gray, int32_t stride, int32_t width, int32_t height,
                                   std::vector<unsigned char>& out, Halftone pattern) {
  Matrix matrix{};
  if (gray == nullptr || out.empty() || !MatrixFor(pattern, matrix)) {
    return -1;
  }
  if (stride < 0 || width < 0 || height < 0) {
    return -1;
  }
  if (width == 0 || height == 0) {
    return 1;
  }
  // Offsets in 64 bits: stride x height may exceed a 32-bit integer.
  const int64_t needed = static_cast<int64_t>(height - 1) * stride + width;
  if (static_cast<uint64_t>(needed) > out.size()) {
    return -1;
  }
  for (int64_t y = 0; y < height; ++y) {
    const unsigned char* thresholds = matrix.cells + (y % matrix.size) * matrix.size;
    const unsigned char* src = gray + y * stride;
    unsigned char* dst = out.data() + y * stride;
    for (int64_t x = 0; x < width; ++x) {
      dst[x] = src[x] < thresholds[x % matrix.size] ? 1 : 0;
    }
  }
  return 1;
}
