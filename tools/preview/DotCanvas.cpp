#include "tools/preview/DotCanvas.h"

#include <algorithm>

namespace marvik::preview {

namespace {

// Rows grow in steps of this many bytes so that a band drawn left to right
// does not reallocate its rows column by column.
constexpr size_t kRowGrowth = 64;

const std::vector<uint8_t>& EmptyRow() {
  static const std::vector<uint8_t> empty;
  return empty;
}

}  // namespace

DotCanvas::DotCanvas(Resolution resolution, int64_t maxWidth, int64_t maxHeight, size_t maxBytes)
    : resolution_(resolution), maxWidth_(maxWidth), maxHeight_(maxHeight), maxBytes_(maxBytes) {}

DotCanvas::SetResult DotCanvas::Set(int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= maxWidth_ || y >= maxHeight_) return SetResult::kOutside;
  if (y >= rowCount()) {
    size_t index_bytes = (static_cast<size_t>(y) + 1 - rows_.size()) * sizeof(std::vector<uint8_t>);
    if (bytesUsed_ + index_bytes > maxBytes_) return SetResult::kNoRoom;
    bytesUsed_ += index_bytes;
    rows_.resize(static_cast<size_t>(y) + 1);
  }
  std::vector<uint8_t>& row = rows_[static_cast<size_t>(y)];
  size_t byte = static_cast<size_t>(x / 8);
  if (byte >= row.size()) {
    size_t want =
        std::min<size_t>((byte / kRowGrowth + 1) * kRowGrowth, static_cast<size_t>((maxWidth_ + 7) / 8));
    if (bytesUsed_ + (want - row.size()) > maxBytes_) return SetResult::kNoRoom;
    bytesUsed_ += want - row.size();
    row.resize(want, 0);
  }
  uint8_t mask = static_cast<uint8_t>(0x80u >> (x % 8));
  ++strikes_;
  if (row[byte] & mask) return SetResult::kOk;
  row[byte] |= mask;
  if (dots_ == 0) {
    minX_ = maxX_ = x;
    minY_ = maxY_ = y;
  } else {
    minX_ = std::min(minX_, x);
    maxX_ = std::max(maxX_, x);
    minY_ = std::min(minY_, y);
    maxY_ = std::max(maxY_, y);
  }
  ++dots_;
  return SetResult::kOk;
}

bool DotCanvas::Get(int64_t x, int64_t y) const {
  if (x < 0 || y < 0 || y >= rowCount()) return false;
  const std::vector<uint8_t>& row = rows_[static_cast<size_t>(y)];
  size_t byte = static_cast<size_t>(x / 8);
  return byte < row.size() && (row[byte] & (0x80u >> (x % 8))) != 0;
}

const std::vector<uint8_t>& DotCanvas::Row(int64_t y) const {
  if (y < 0 || y >= rowCount()) return EmptyRow();
  return rows_[static_cast<size_t>(y)];
}

}  // namespace marvik::preview
