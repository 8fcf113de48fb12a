// The printer's test page (PAPPL's self-test callback): printer-ready ESC/P,
// printed in both head directions whatever the printer's default, with
// captions in the printer's own font. Vertical rules that cross eleven head
// passes show whether the two directions line up; five patches of dots
// 1/60 to 1/360 in apart show the head's pitches, the last one whether it
// prints adjacent dots at 360 dpi.
#pragma once

#include <pappl/pappl.h>

#include <cstddef>
#include <vector>

namespace marvik::app {

// The page's bytes for a form `lengthPoints` long.
std::vector<unsigned char> TestPageBytes(int lengthPoints);

// A pappl_pr_testpage_cb_t: writes the page into the spool and returns its
// file name (typed by RegisterDriverFormats's ESC/P detection), or null.
const char* WriteTestPage(pappl_printer_t* printer, char* buffer, size_t size);

}  // namespace marvik::app
