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

}  // namespace marvik::page
