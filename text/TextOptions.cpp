#include "text/TextOptions.h"

#include <cmath>
#include <cstring>

namespace marvik::text {

const std::array<QualityInfo, 2> kQualities = {{
    {PrintQuality::kDraft, "draft", "Draft (fastest)", 0},
    {PrintQuality::kLetterQuality, "letter-quality", "Letter quality (LQ)", 1},
}};

// Character widths of the 24-pin family: 10, 12 and 15 cpi are 36, 30 and
// 24 / 360 in; condensed prints 10 cpi at 1/17.14 in and 12 cpi at 1/20 in.
const std::array<PitchInfo, 5> kPitches = {{
    {Pitch::k10Cpi, "10-cpi", "10 characters per inch (pica)", 10, 'P', 36, 36, false},
    {Pitch::k12Cpi, "12-cpi", "12 characters per inch (elite)", 12, 'M', 30, 30, false},
    {Pitch::k15Cpi, "15-cpi", "15 characters per inch", 15, 'g', 24, 24, false},
    {Pitch::k17Cpi, "17-cpi", "17 characters per inch (condensed pica)", 360.0 / 21, 'P', 36, 21, true},
    {Pitch::k20Cpi, "20-cpi", "20 characters per inch (condensed elite)", 20, 'M', 30, 18, true},
}};

const std::array<SpacingInfo, 2> kSpacings = {{
    {LineSpacing::k6Lpi, "6-lpi", "6 lines per inch", 6, '2', 60},
    {LineSpacing::k8Lpi, "8-lpi", "8 lines per inch", 8, '0', 45},
}};

const QualityInfo& InfoOf(PrintQuality quality) {
  return kQualities[static_cast<std::size_t>(quality)];
}
const PitchInfo& InfoOf(Pitch pitch) {
  return kPitches[static_cast<std::size_t>(pitch)];
}
const SpacingInfo& InfoOf(LineSpacing spacing) {
  return kSpacings[static_cast<std::size_t>(spacing)];
}

namespace {

constexpr TextChoice kLongLines[] = {{"wrap", "Wrap onto the next line"}, {"cut", "Cut at the right margin"}};

template <typename Info, std::size_t N>
TextChoice ChoiceOf(const std::array<Info, N>& infos, int index) {
  return {infos[static_cast<std::size_t>(index)].keyword, infos[static_cast<std::size_t>(index)].label};
}

}  // namespace

const std::array<TextOptionInfo, 5> kTextOptions = {{
    {"MarvikTextQuality", "marvik-text-quality", "Text quality", static_cast<int>(kQualities.size()),
     [](int i) { return ChoiceOf(kQualities, i); },
     [](const TextOptions& o) { return static_cast<int>(o.quality); },
     [](TextOptions& o, int i) { o.quality = static_cast<PrintQuality>(i); }},
    {"MarvikTextPitch", "marvik-text-pitch", "Text pitch", static_cast<int>(kPitches.size()),
     [](int i) { return ChoiceOf(kPitches, i); },
     [](const TextOptions& o) { return static_cast<int>(o.pitch); },
     [](TextOptions& o, int i) { o.pitch = static_cast<Pitch>(i); }},
    {"MarvikTextSpacing", "marvik-text-spacing", "Text line spacing", static_cast<int>(kSpacings.size()),
     [](int i) { return ChoiceOf(kSpacings, i); },
     [](const TextOptions& o) { return static_cast<int>(o.spacing); },
     [](TextOptions& o, int i) { o.spacing = static_cast<LineSpacing>(i); }},
    {"MarvikTextTable", "marvik-text-table", "Text character table",
     static_cast<int>(kCharacterTables.size()), [](int i) { return ChoiceOf(kCharacterTables, i); },
     [](const TextOptions& o) { return static_cast<int>(o.table); },
     [](TextOptions& o, int i) { o.table = static_cast<CharacterTable>(i); }},
    {"MarvikTextLongLines", "marvik-text-long-lines", "Text lines longer than the width", 2,
     [](int i) { return kLongLines[i]; }, [](const TextOptions& o) { return o.wrap ? 0 : 1; },
     [](TextOptions& o, int i) { o.wrap = i == 0; }},
}};

bool SetChoice(TextOptions& options, const TextOptionInfo& option, const char* keyword) {
  if (keyword == nullptr) return false;
  for (int i = 0; i < option.choiceCount; ++i) {
    if (std::strcmp(option.choice(i).keyword, keyword) == 0) {
      option.set(options, i);
      return true;
    }
  }
  return false;
}

Pitch NearestPitch(double cpi) {
  const PitchInfo* best = &kPitches[0];
  for (const PitchInfo& info : kPitches) {
    if (std::fabs(info.cpi - cpi) < std::fabs(best->cpi - cpi)) best = &info;
  }
  return best->pitch;
}

LineSpacing NearestSpacing(double lpi) {
  const SpacingInfo* best = &kSpacings[0];
  for (const SpacingInfo& info : kSpacings) {
    if (std::fabs(info.lpi - lpi) < std::fabs(best->lpi - lpi)) best = &info;
  }
  return best->spacing;
}

}  // namespace marvik::text
