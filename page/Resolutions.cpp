#include "page/Resolutions.h"

namespace marvik::page {

bool IsSupportedResolution(unsigned x, unsigned y) {
  for (const Resolution& r : kSupportedResolutions) {
    if (r.x == x && r.y == y) return true;
  }
  return false;
}

std::string ResolutionList() {
  std::string list;
  for (const Resolution& r : kSupportedResolutions) {
    if (!list.empty()) list += ", ";
    list += std::to_string(r.x) + "x" + std::to_string(r.y);
  }
  return list;
}

}  // namespace marvik::page
