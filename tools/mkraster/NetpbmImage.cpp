#include "tools/mkraster/NetpbmImage.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace marvik::raster {
namespace {

// Reads the next unsigned decimal header number, skipping white space and
// '#' comments. Moves `pos` past it.
bool NextNumber(const std::vector<std::uint8_t>& b, std::size_t& pos, unsigned& value) {
  while (pos < b.size()) {
    if (b[pos] == '#') {
      while (pos < b.size() && b[pos] != '\n') ++pos;
    } else if (std::isspace(b[pos])) {
      ++pos;
    } else {
      break;
    }
  }
  if (pos >= b.size() || !std::isdigit(b[pos])) return false;
  std::uint64_t v = 0;
  while (pos < b.size() && std::isdigit(b[pos])) {
    v = v * 10 + (b[pos] - '0');
    if (v > 0xFFFFFFu) return false;
    ++pos;
  }
  value = static_cast<unsigned>(v);
  return true;
}

}  // namespace

bool ParseNetpbm(const std::vector<std::uint8_t>& bytes, NetpbmImage& image, std::string& error) {
  if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '4' && bytes[1] != '5')) {
    error = "not a binary PBM (P4) or PGM (P5) image";
    return false;
  }
  const bool bitmap = bytes[1] == '4';
  std::size_t pos = 2;
  unsigned width = 0, height = 0, maxval = 1;
  if (!NextNumber(bytes, pos, width) || !NextNumber(bytes, pos, height) ||
      (!bitmap && !NextNumber(bytes, pos, maxval))) {
    error = "malformed image header";
    return false;
  }
  if (width == 0 || height == 0 || static_cast<std::uint64_t>(width) * height > kMaxImagePixels) {
    error = "image size out of range";
    return false;
  }
  if (maxval == 0 || maxval > 255) {
    error = "only 8-bit gray images are supported";
    return false;
  }
  ++pos;  // the single white-space byte before the raster
  const std::size_t rowBytes = bitmap ? (width + 7) / 8 : width;
  if (pos > bytes.size() || bytes.size() - pos < rowBytes * height) {
    error = "image data is truncated";
    return false;
  }
  image.width = width;
  image.height = height;
  image.ink.assign(static_cast<std::size_t>(width) * height, 0);
  for (unsigned y = 0; y < height; ++y) {
    const std::uint8_t* row = &bytes[pos + rowBytes * y];
    for (unsigned x = 0; x < width; ++x) {
      std::uint8_t ink;
      if (bitmap) {
        ink = (row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;  // PBM: 1 is black
      } else {
        ink = static_cast<std::uint8_t>(255 - row[x] * 255 / maxval);  // PGM: 0 is black
      }
      image.ink[static_cast<std::size_t>(y) * width + x] = ink;
    }
  }
  return true;
}

bool LoadNetpbm(const std::string& path, NetpbmImage& image, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseNetpbm(bytes, image, error);
}

}  // namespace marvik::raster
