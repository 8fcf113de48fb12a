// Brings page pixels into the form the encoder reads: 1 bit a dot, or gray
// with 0 black.
#pragma once

#include <cstdint>

namespace marvik::page {

// 1-bit pages whose 1 means white: inverts every row and clears the bits past
// `width`, which would otherwise turn blank rows into bands.
void InvertDots(unsigned char* pixels, std::uint32_t bytesPerLine, std::uint32_t width, std::uint32_t height);

// 8-bit pages with 255 black: turns them into gray with 0 black.
void FlipGray(unsigned char* pixels, std::uint64_t size);

// The gray of one RGB pixel (0 black), by the luma weights of ITU-R BT.601.
inline unsigned char Luma(unsigned red, unsigned green, unsigned blue) {
  return static_cast<unsigned char>((299u * red + 587u * green + 114u * blue + 500u) / 1000u);
}

// 24-bit RGB pages (0 black): turns each row's first `width` pixels into
// gray with 0 black by Luma, in place at the start of the row (the row
// stride stays `bytesPerLine`).
void RgbToGray(unsigned char* pixels, std::uint32_t bytesPerLine, std::uint32_t width, std::uint32_t height);

}  // namespace marvik::page
