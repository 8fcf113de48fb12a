// The server's state file (its settings, printers and jobs, in PAPPL's
// format): checked before PAPPL reads it, and saved so that a crash at any
// moment leaves either the old file or the new one, never a part of one.
#pragma once

#include <pappl/pappl.h>

#include <string>
#include <string_view>
#include <vector>

namespace marvik::app {

// A job the server was printing or about to print when it stopped. PAPPL 1.3
// would show it printing for ever, its printer busy: one whose document was
// spooled is printed again from the start, one without (raster pages are
// printed as they arrive, never spooled) is aborted.
struct InterruptedJob {
  int printerId;
  int jobId;
  bool printedAgain;
};

// What the check of a state file kept: the lines PAPPL may read, why each
// other line was dropped ("line 7: media-col-default has a bad value"), and
// the interrupted jobs, whose states the kept lines set as said above.
struct CheckedState {
  std::string text;
  std::vector<std::string> dropped;
  std::vector<InterruptedJob> interrupted;
};

// Keeps the lines of TEXT whose keys PAPPL saves and whose values are well
// formed; a printer whose header names an unknown driver or a refused device
// is dropped whole. PAPPL trusts its state file, and a bad value there
// crashes it on the first request that reads the value.
CheckedState CheckState(std::string_view text);

enum class StateLoad { kNone, kLoaded, kRefused };

// Reads PATH (a regular file only: a FIFO would block the start), checks it
// and hands PAPPL the checked copy; each dropped line and interrupted job is
// logged, and an aborted job says why in its job-state-message. kNone when
// there is no state yet; kRefused with a message on standard error when the
// file cannot be used.
StateLoad LoadState(pappl_system_t* system, const std::string& path);

// Saves the state to a new file beside PATH, flushes it to the disk, then
// renames it over PATH.
bool SaveState(pappl_system_t* system, const std::string& path);

}  // namespace marvik::app
