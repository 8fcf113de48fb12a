// PAPPL 1.3 gives a printer created while the server runs (Create-Printer,
// the `add` sub-command, the web interface's Add Printer, an auto-added
// device) the printer-id 0 in its attributes: it writes the attribute before
// it numbers the printer. A client that names a printer by its id then
// cannot reach it (the `delete` sub-command fails) until a restart loads the
// printer with its number from the state. This executable exports its own
// papplPrinterCreate, which the dynamic linker binds PAPPL's calls to: a
// printer without a number is numbered (PrinterNumbering.h) before PAPPL
// creates it.
#include <dlfcn.h>
#include <pappl/pappl.h>

#include "printer-app/PrinterNumbering.h"

extern "C" {

pappl_printer_t* papplPrinterCreate(pappl_system_t* system, int printerId, const char* name,
                                    const char* driver, const char* deviceId, const char* deviceUri) {
  using Create =
      pappl_printer_t* (*)(pappl_system_t*, int, const char*, const char*, const char*, const char*);
  static const auto pappl = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "papplPrinterCreate"));
  if (pappl == nullptr) return nullptr;
  if (printerId == 0) printerId = marvik::app::NumberNewPrinter(system);
  return pappl(system, printerId, name, driver, deviceId, deviceUri);
}

}  // extern "C"
