// Geometry of the print heads the preview emulates, in one fine device unit.
//
// Every distance the printer commands can express is a whole number of
// 1/14400 inch: 1/60 (ESC $ default), 1/144 and 1/180 (ESC J), m/3600
// (ESC ( U), 1/360 (FS C) and the column pitches of all bit-image modes,
// including 160 dpi. Positions are kept in that unit so that no command
// rounds.
#pragma once

#include <cstdint>

namespace marvik::preview {

constexpr int64_t kUnitsPerInch = 14400;

enum class Head {
  kPins24,  // 24-dot columns 1/180 in apart, ESC J in 1/180 in
  kPins9,   // 8-dot columns 1/72 in apart, ESC J in 1/144 in
};

// One ESC * mode as the head prints it.
struct ImageMode {
  int32_t bytesPerColumn = 0;
  int64_t columnPitch = 0;  // device units between two columns
  int64_t dotPitch = 0;     // device units between two dots of a column
};

// The modes the head accepts; false for any other m.
bool LookupImageMode(Head head, uint8_t m, ImageMode* mode);

// Paper movement of one ESC J step.
int64_t FeedStep(Head head);

// The 24-pin head's pins stand 1/180 inch apart.
constexpr int64_t kPinPitch = kUnitsPerInch / 180;
// The page length a printer keeps until told otherwise: 11 inches.
constexpr int64_t kDefaultPageLength = 11 * kUnitsPerInch;
// Line spacing after ESC @ and ESC 2: 1/6 inch.
constexpr int64_t kSixthInch = kUnitsPerInch / 6;
// Default unit of ESC $ and ESC ( v until ESC ( U changes it: 1/60 inch.
constexpr int64_t kDefaultMoveUnit = kUnitsPerInch / 60;
// ESC ( U counts in 1/3600 inch.
constexpr int64_t kUnitPer3600 = kUnitsPerInch / 3600;
// FS C counts the page length in 1/360 inch.
constexpr int64_t kFinePageUnit = kUnitsPerInch / 360;

const char* HeadName(Head head);

// Diameter of the dot one pin strikes through the ribbon: about 0.2 mm for
// the thin pins of a 24-pin head, 0.3 mm for a 9-pin head.
double PinDotMillimetres(Head head);

}  // namespace marvik::preview
