// Whether each device opened when PAPPL last tried. PAPPL 1.3 keeps
// a job waiting while its printer cannot be reached and tries again every
// five seconds, yet shows only a stopped printer ("paused", "Stopped."). The
// server shows such a printer offline instead, with the reason in its job's
// message, until the device opens again.
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

// Notes how opening the device URI ended: ERROR is why it could not be
// opened, or null when it opened.
void NoteDeviceOpen(const char* uri, const char* error);

// Shows the noted outcomes on the printers with jobs and on those jobs;
// called by the server's timer.
void ReportDeviceReachability(pappl_system_t* system);

}  // namespace marvik::app
