// marvik-printer-app: presents Marvik dot-matrix printers as driverless IPP
// Everywhere printers. PAPPL's main loop gives the sub-commands (server, add,
// printers, submit, status, shutdown, ...) and the web interface; this program
// brings the driver, the parallel-port device scheme and the server's system.
#include <pappl/pappl.h>

#include "printer-app/AppSystem.h"
#include "printer-app/DeviceRules.h"
#include "printer-app/Marvik24Driver.h"
#include "printer-app/ParallelDevice.h"

int main(int argc, char* argv[]) {
  if (!marvik::app::ChooseDirectory(argc, argv)) return 1;
  marvik::app::RegisterParallelScheme();
  // The drivers are given here for the sub-commands (`drivers`, `add`) and
  // again by CreateSystem for the server, with the device check.
  return papplMainloop(argc, argv, MARVIK_VERSION, nullptr, marvik::app::kDriverCount, marvik::app::kDrivers,
                       marvik::app::AutoAddDriver, marvik::app::SetUpCheckedDriver, nullptr, nullptr,
                       marvik::app::CreateSystem, nullptr, nullptr);
}
