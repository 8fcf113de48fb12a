#include "text/TextOptions.h"

#include <cmath>
#include <cstring>

namespace marvik::text {

const std::array<QualityInfo, 2> kQualities = {
    {{PrintQuality::kDraft, 0}, {PrintQuality::kLetterQuality, 1}}};

// Character widths of the 24-pin family: 10, 12 and 15 cpi are 36, 30 and
// 24 / 360 in; condensed prints 10 cpi at 1/17.14 in and 12 cpi at 1/20 in.
const std::array<PitchInfo, 5> kPitches = {{
    {Pitch::k10Cpi, 10, 'P', 36, 36, false},
    {Pitch::k12Cpi, 12, 'M', 30, 30, false},
    {Pitch::k15Cpi, 15, 'g', 24, 24, false},
    {Pitch::k17Cpi, 360.0 / 21, 'P', 36, 21, true},
    {Pitch::k20Cpi, 20, 'M', 30, 18, true},
}};

const std::array<SpacingInfo, 2> kSpacings = {
    {{LineSpacing::k6Lpi, 6, '2', 60}, {LineSpacing::k8Lpi, 8, '0', 45}}};

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

// The character tables' keywords and labels are those of their own table.
TextChoice TableChoice(CharacterTable table, void (*choose)(TextOptions&)) {
  return {InfoOf(table).keyword, InfoOf(table).label, choose};
}

}  // namespace

const TextOption kTextOptions[5] = {
    {"MarvikTextQuality",
     "marvik-text-quality",
     "Text quality",
     {{"draft", "Draft (fastest)", [](TextOptions& o) { o.quality = PrintQuality::kDraft; }},
      {"letter-quality", "Letter quality (LQ)",
       [](TextOptions& o) { o.quality = PrintQuality::kLetterQuality; }}},
     2},
    {"MarvikTextPitch",
     "marvik-text-pitch",
     "Text pitch",
     {{"10-cpi", "10 characters per inch (pica)", [](TextOptions& o) { o.pitch = Pitch::k10Cpi; }},
      {"12-cpi", "12 characters per inch (elite)", [](TextOptions& o) { o.pitch = Pitch::k12Cpi; }},
      {"15-cpi", "15 characters per inch", [](TextOptions& o) { o.pitch = Pitch::k15Cpi; }},
      {"17-cpi", "17 characters per inch (condensed pica)", [](TextOptions& o) { o.pitch = Pitch::k17Cpi; }},
      {"20-cpi", "20 characters per inch (condensed elite)",
       [](TextOptions& o) { o.pitch = Pitch::k20Cpi; }}},
     5},
    {"MarvikTextSpacing",
     "marvik-text-spacing",
     "Text line spacing",
     {{"6-lpi", "6 lines per inch", [](TextOptions& o) { o.spacing = LineSpacing::k6Lpi; }},
      {"8-lpi", "8 lines per inch", [](TextOptions& o) { o.spacing = LineSpacing::k8Lpi; }}},
     2},
    {"MarvikTextTable",
     "marvik-text-table",
     "Text character table",
     {TableChoice(CharacterTable::kPc437, [](TextOptions& o) { o.table = CharacterTable::kPc437; }),
      TableChoice(CharacterTable::kPc850, [](TextOptions& o) { o.table = CharacterTable::kPc850; }),
      TableChoice(CharacterTable::kPc858, [](TextOptions& o) { o.table = CharacterTable::kPc858; }),
      TableChoice(CharacterTable::kIso8859_1, [](TextOptions& o) { o.table = CharacterTable::kIso8859_1; }),
      TableChoice(CharacterTable::kIso8859_15,
                  [](TextOptions& o) { o.table = CharacterTable::kIso8859_15; })},
     5},
    {"MarvikTextLongLines",
     "marvik-text-long-lines",
     "Text lines longer than the width",
     {{"wrap", "Wrap onto the next line", [](TextOptions& o) { o.wrap = true; }},
      {"cut", "Cut at the right margin", [](TextOptions& o) { o.wrap = false; }}},
     2},
};

bool ChooseTextOption(TextOptions& options, const TextOption& option, const char* keyword) {
  if (keyword == nullptr) return false;
  for (std::size_t i = 0; i < option.count; ++i) {
    if (std::strcmp(option.choices[i].keyword, keyword) == 0) {
      option.choices[i].choose(options);
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
