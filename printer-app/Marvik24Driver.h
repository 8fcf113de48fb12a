// The PAPPL driver of the 24-pin printers: what the printer offers (media,
// resolutions, 1-bit black raster, the two vendor options) and the raster
// callbacks that collect a page and send the frame the CUPS filter would send
// for the same page.
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

// The drivers this application offers (one: the 24-pin family).
extern pappl_pr_driver_t kDrivers[];
extern const int kDriverCount;

// Fills the driver data of a printer created with one of kDrivers.
bool SetUpDriver(pappl_system_t* system, const char* driverName, const char* deviceUri, const char* deviceId,
                 pappl_pr_driver_data_t* data, ipp_t** attrs, void* context);

// Gives a printer of these drivers its one supply, the ink ribbon: once,
// when the printer is created or loaded.
void SetRibbonSupply(pappl_printer_t* printer);

// Picks the driver for a discovered device by its IEEE-1284 device ID: our
// own printers get the 24-pin driver. Other ESC/P printers are added by hand
// (`add -d marvik_24pin`): their IDs do not tell a 24-pin head from an inkjet.
const char* AutoAddDriver(const char* deviceInfo, const char* deviceUri, const char* deviceId, void* context);

}  // namespace marvik::app
