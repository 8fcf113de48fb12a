#include "text/TextDecoder.h"

#include <algorithm>
#include <cstring>

namespace marvik::text {

namespace {

bool Continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Decodes one character at `p` into `out`: the bytes it took, or 0 when the
// `size` bytes are the valid start of a longer sequence.
std::size_t Step(const unsigned char* p, std::size_t size, std::u32string& out) {
  const unsigned char lead = p[0];
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  }
  bool valid = length != 0 && (size < 2 || (p[1] >= low && p[1] <= high));
  for (std::size_t i = 2; valid && i < std::min(size, length); ++i) valid = Continuation(p[i]);
  if (!valid) {
    out.push_back(lead);  // Latin-1: the byte is the code point
    return 1;
  }
  if (size < length) return 0;
  char32_t c = lead & (0xFF >> (length + 1));
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (p[i] & 0x3F);
  out.push_back(c);
  return length;
}

}  // namespace

void TextDecoder::Decode(const unsigned char* data, std::size_t size, std::u32string& out) {
  const std::size_t first = out.size();
  std::size_t at = 0;
  if (pendingSize_ > 0) {
    // The waiting bytes and enough new ones to finish any sequence they start.
    unsigned char joint[sizeof pending_ + 4];
    const std::size_t taken = std::min<std::size_t>(size, 4);
    std::memcpy(joint, pending_, pendingSize_);
    std::memcpy(joint + pendingSize_, data, taken);
    std::size_t pos = 0;
    while (pos < pendingSize_) {
      const std::size_t used = Step(joint + pos, pendingSize_ + taken - pos, out);
      if (used == 0) {  // still cut off: every new byte joins the waiting ones
        const std::size_t rest = pendingSize_ + taken - pos;
        std::memmove(pending_, joint + pos, rest);
        pendingSize_ = rest;
        return;
      }
      pos += used;
    }
    at = pos - pendingSize_;
    pendingSize_ = 0;
  }
  while (at < size) {
    const std::size_t used = Step(data + at, size - at, out);
    if (used == 0) {
      pendingSize_ = size - at;
      std::memcpy(pending_, data + at, pendingSize_);
      break;
    }
    at += used;
  }
  if (atStart_ && out.size() > first) {
    if (out[first] == U'\uFEFF') out.erase(first, 1);
    atStart_ = false;
  }
}

void TextDecoder::Finish(std::u32string& out) {
  out.append(pending_, pending_ + pendingSize_);
  pendingSize_ = 0;
}

}  // namespace marvik::text
