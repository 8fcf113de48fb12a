// Whether the server is stopping, as a job that waits on a client must
// know it. PAPPL 1.3 marks a `shutdown` request where
// papplSystemIsShutdown sees it, but it notes SIGTERM and SIGINT only in its
// main loop, which then waits up to 60 s for the jobs in hand without
// saying so: its handlers are wrapped to note the signal here as well.
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

// Wraps the signal handlers PAPPL's main loop set; call from the loop (a
// timer callback), after papplSystemRun has begun; later calls do nothing.
void WatchStopSignals();

// A `shutdown` request or a stop signal has come.
bool ServerStopping(pappl_system_t* system);

}  // namespace marvik::app
