// marvik-printer-app: presents Marvik dot-matrix printers as driverless IPP
// Everywhere printers. PAPPL's main loop gives the sub-commands (server, add,
// printers, submit, status, shutdown, ...) and the web interface; this program
// brings the driver and the parallel-port device scheme.
#include <pappl/pappl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "printer-app/Marvik24Driver.h"
#include "printer-app/ParallelDevice.h"

namespace {

// PAPPL 1.3 localises the footer on every web page and fails on none.
constexpr const char* kFooter = "Marvik dot-matrix printers, driverless.";

// The directory a user chose for everything the application keeps: the state
// file, the spool, the log and the control socket that the sub-commands reach
// the server by. PAPPL's main loop puts the state, spool and socket under
// SNAP_COMMON, its default log under TMPDIR, and libcups its per-user files
// under HOME, so all three point there; the server and every sub-command must
// see the same directory.
constexpr const char* kDirVariable = "MARVIK_PRINTER_APP_DIR";

bool UseChosenDirectory() {
  const char* dir = std::getenv(kDirVariable);
  if (dir == nullptr || *dir == '\0') return true;  // PAPPL's own places
  struct stat info;
  if (dir[0] != '/' || stat(dir, &info) != 0 || !S_ISDIR(info.st_mode)) {
    std::fprintf(stderr, "marvik-printer-app: %s=%s is not the absolute path of a directory\n", kDirVariable,
                 dir);
    return false;
  }
  return setenv("SNAP_COMMON", dir, 1) == 0 && setenv("TMPDIR", dir, 1) == 0 && setenv("HOME", dir, 1) == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (!UseChosenDirectory()) return 1;
  marvik::app::RegisterParallelScheme();
  return papplMainloop(argc, argv, MARVIK_VERSION, kFooter, marvik::app::kDriverCount, marvik::app::kDrivers,
                       marvik::app::AutoAddDriver, marvik::app::SetUpDriver, nullptr, nullptr, nullptr,
                       nullptr, nullptr);
}
