// The server side of marvik-printer-app: where it keeps its files, and the
// PAPPL system it runs, made here rather than by PAPPL's main loop so that
// the service is safe by default (loopback only unless opened, a control
// socket only its user and root may use, checked state saved atomically).
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

// Picks the directory for the state, spool, control socket and default log:
// MARVIK_PRINTER_APP_DIR when set, else the service's /var/lib directory.
// Points PAPPL's main loop there (the server and every sub-command must
// agree on the socket). False, with a message, when it cannot be used.
bool ChooseDirectory(int argc, char* argv[]);

// PAPPL's system callback for the `server` sub-command.
pappl_system_t* CreateSystem(int numOptions, cups_option_t* options, void* data);

}  // namespace marvik::app
