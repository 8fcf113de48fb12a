// Numbers (printer-id) for printers created while the server runs. PAPPL 1.3
// writes a printer's printer-id attribute before it numbers a printer it is
// asked to number, so the attribute says 0 (PrinterIdGuard.cpp numbers them
// first); and it moves its next number only for the printers it numbers, so
// the numbers given here are counted here, and saved with the state, so that
// no number is given twice, not even after a deleted printer and a restart.
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

// A number no printer of SYSTEM has had: from the state's next number on,
// and past every printer loaded.
int NumberNewPrinter(pappl_system_t* system);

// The next number NumberNewPrinter would give, for the saved state.
int NextPrinterNumber(pappl_system_t* system);

}  // namespace marvik::app
