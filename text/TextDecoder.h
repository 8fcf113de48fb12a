// A document's bytes as characters: UTF-8 (so ASCII too), and every byte
// that does not start a valid UTF-8 sequence read as Latin-1, so that a
// Latin-1 file prints right and a stray byte costs one character, not a line.
#pragma once

#include <cstddef>
#include <string>

namespace marvik::text {

class TextDecoder {
 public:
  // Appends the characters of the next `size` bytes to `out`. A sequence cut
  // off by the end of the bytes waits for the next call. A byte order mark
  // at the very start of the document is dropped.
  void Decode(const unsigned char* data, std::size_t size, std::u32string& out);
  // The document ended: bytes still waiting are Latin-1.
  void Finish(std::u32string& out);

 private:
  unsigned char pending_[3] = {};
  std::size_t pendingSize_ = 0;
  bool atStart_ = true;
};

}  // namespace marvik::text
