// The pitches the 24-pin head prints at, horizontal x vertical dots per inch:
// the one list every front end offers and every page header is checked against.
#pragma once

#include <string>

namespace marvik::page {

struct Resolution {
  unsigned x;
  unsigned y;
};

constexpr Resolution kDraftResolution = {120, 180};
// The resolution a job gets when it names none.
constexpr Resolution kDefaultResolution = {180, 180};
constexpr Resolution kWideResolution = {360, 180};
constexpr Resolution kTallResolution = {180, 360};
constexpr Resolution kFineResolution = {360, 360};
constexpr Resolution kSupportedResolutions[] = {kDraftResolution, kDefaultResolution, kWideResolution,
                                                kTallResolution, kFineResolution};

bool IsSupportedResolution(unsigned x, unsigned y);

// "120x180, 180x180, 360x180, 180x360, 360x360", for messages.
std::string ResolutionList();

}  // namespace marvik::page
