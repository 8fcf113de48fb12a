// Helpers shared by the preview tests: byte tables and a sink that keeps
// every page it is handed.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "tools/preview/EscpInterpreter.h"

namespace marvik::preview {

inline std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> bytes;
  for (int value : values) bytes.push_back(static_cast<uint8_t>(value));
  return bytes;
}

inline std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> bytes;
  for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

struct KeptPage {
  DotCanvas canvas;
  Page page;  // its canvas pointer is not kept valid; use `canvas`
};

class KeepingSink : public PageSink {
 public:
  explicit KeepingSink(Resolution resolution = Resolution{360, 360}, int32_t stopAfter = -1)
      : resolution_(resolution), stopAfter_(stopAfter) {}
  bool PageResolution(int32_t, Resolution* resolution) override {
    *resolution = resolution_;
    return true;
  }
  bool TakePage(const Page& page) override {
    pages.push_back(KeptPage{*page.canvas, page});
    return stopAfter_ < 0 || static_cast<int32_t>(pages.size()) < stopAfter_;
  }
  // The dots of a page, top to bottom then left to right.
  std::vector<std::pair<int64_t, int64_t>> Dots(size_t page) const {
    std::vector<std::pair<int64_t, int64_t>> dots;
    const DotCanvas& canvas = pages.at(page).canvas;
    for (int64_t y = 0; y < canvas.rowCount(); ++y) {
      for (int64_t x = 0; x < static_cast<int64_t>(canvas.Row(y).size()) * 8; ++x) {
        if (canvas.Get(x, y)) dots.emplace_back(x, y);
      }
    }
    return dots;
  }
  std::vector<KeptPage> pages;

 private:
  Resolution resolution_;
  int32_t stopAfter_;
};

inline RunResult RunStream(const std::vector<uint8_t>& bytes, KeepingSink& sink, Head head = Head::kPins24,
                           bool lenient = false, Limits limits = Limits{}) {
  InterpreterOptions options;
  options.head = head;
  options.lenient = lenient;
  options.limits = limits;
  return Interpret(bytes.data(), bytes.size(), options, sink);
}

}  // namespace marvik::preview
