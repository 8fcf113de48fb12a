// The printer's page length for continuous forms. A form must be the page
// length exactly, or every form feed leaves the paper a little off and the
// print creeps across the perforations. The command is the coarsest that
// sets the length exactly; a form that is no whole number of the finest unit
// gets whole units that add up, form after form, to the true length.
#pragma once

#include <cstdint>
#include <string>

namespace marvik::escp {

// The finest page-length unit, that of FS C nL nH: 1/360 inch (5 a point).
constexpr int64_t kFormUnitsPerInch = 360;
constexpr int64_t kFormUnitsPerPoint = kFormUnitsPerInch / 72;
// ESC C n counts lines of the current spacing, 1/6 inch after ESC 2.
constexpr int64_t kFormUnitsPerLine = kFormUnitsPerInch / 6;
// The largest parameter of each command: ESC C 0 n, ESC C n, FS C nL nH.
constexpr int64_t kMaxFormInches = 22;
constexpr int64_t kMaxFormLines = 127;
constexpr int64_t kMaxFormUnits = 0xFFFF;

// Whole units for form `form` (counted from 1) of a run of forms `units`
// long (1/360 inch, any fraction): round(form x units) - round((form - 1) x
// units). Each form is within one unit of the true length, and the first n
// forms together within half a unit of n x units, for any n. A length within
// 0.0005 in plus 0.005 mm (0.25 units) of a whole number of 1/6 in lines is
// those lines (IPP's sizes, in 1/100 mm and named in inches to three
// decimals, cannot say 3 2/3 in), and one within 1/100
// unit of a whole number is that number (lengths read from a float).
// 0 for no length: `units` not above 0, not finite or above kMaxFormUnits,
// or `form` below 1.
int64_t FormUnits(double units, int64_t form);

// The command, in the notation of MarvikESCP::SequenceToByte, that sets a
// page length of `units` exactly with the coarsest unit that can: ESC C 0 n
// for whole inches (1 to 22), ESC 2 ESC C n for whole lines of 1/6 inch (1 to
// 127; ESC 2 first, since ESC C counts lines of the spacing in force),
// FS C nL nH for any other length. Empty for 0 or less, or above
// kMaxFormUnits, which no command sets.
std::string PageLengthText(int64_t units);

}  // namespace marvik::escp
