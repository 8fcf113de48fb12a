// The choices of a text job and their one vocabulary: every option has the
// same keywords in the PPD and over IPP, and the PPD's text options are
// generated from the table below, so a keyword is written down once. The
// printer's side of each choice (its command, its size) is in the Info
// tables.
#pragma once

#include <array>
#include <cstddef>

#include "text/CharacterTables.h"

namespace marvik::text {

enum class PrintQuality { kDraft, kLetterQuality };
// 17 and 20 cpi are the condensed forms of 10 and 12 cpi.
enum class Pitch { k10Cpi, k12Cpi, k15Cpi, k17Cpi, k20Cpi };
enum class LineSpacing { k6Lpi, k8Lpi };

struct QualityInfo {
  PrintQuality quality;
  unsigned char escX;  // ESC x n
};

struct PitchInfo {
  Pitch pitch;
  double cpi;                  // characters per inch, for CUPS's cpi option
  unsigned char pitchCommand;  // ESC P, ESC M or ESC g: the base pitch
  int baseWidth;               // one column of the base pitch, in 1/360 in
  int charWidth;               // one character as printed, in 1/360 in
  bool condensed;              // SI after the base pitch
};

struct SpacingInfo {
  LineSpacing spacing;
  double lpi;                    // lines per inch, for CUPS's lpi option
  unsigned char spacingCommand;  // ESC 2 or ESC 0
  int lineHeight;                // one line, in 1/360 in
};

extern const std::array<QualityInfo, 2> kQualities;
extern const std::array<PitchInfo, 5> kPitches;
extern const std::array<SpacingInfo, 2> kSpacings;

const QualityInfo& InfoOf(PrintQuality quality);
const PitchInfo& InfoOf(Pitch pitch);
const SpacingInfo& InfoOf(LineSpacing spacing);

// A text job's settings. The form (the page size) and the margins are in
// points, as CUPS gives them; the defaults are those of the PPD's Letter
// size and hardware margins.
struct TextOptions {
  PrintQuality quality = PrintQuality::kDraft;
  Pitch pitch = Pitch::k10Cpi;
  LineSpacing spacing = LineSpacing::k6Lpi;
  CharacterTable table = CharacterTable::kPc437;
  bool wrap = true;  // else lines longer than the width are cut
  double formWidth = 612;
  double formLength = 792;
  double left = 18;
  double right = 18;
  double top = 18;
  double bottom = 36;
};

// One choice of an option: its keyword, the same in the PPD and over IPP,
// what a user reads, and what it sets.
struct TextChoice {
  const char* keyword;
  const char* label;
  void (*choose)(TextOptions& options);
};

constexpr std::size_t kMaxTextChoices = 5;

// One text option; its first choice is the default (TextOptions' own).
struct TextOption {
  const char* ppdName;
  const char* ippName;
  const char* label;
  TextChoice choices[kMaxTextChoices];
  std::size_t count;
};

extern const TextOption kTextOptions[5];

// Sets `option` to the choice named `keyword`; false, with nothing changed,
// for a keyword the option does not have.
bool ChooseTextOption(TextOptions& options, const TextOption& option, const char* keyword);

// The pitch nearest to `cpi` and the spacing nearest to `lpi` (CUPS's own
// numeric text options).
Pitch NearestPitch(double cpi);
LineSpacing NearestSpacing(double lpi);

}  // namespace marvik::text
