// Which device URIs the service prints to. A client that may add a printer
// must not be able to make the service write to a path of its choosing, so
// PAPPL's file scheme and every scheme but the printer connections are
// refused: at Create-Printer, in the web interface's Add Printer and when a
// saved printer is loaded.
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

// True for socket:// (AppSocket), usb://, the dnssd:// and snmp:// URIs of
// discovered network printers, and parallel:// naming a printer device node.
bool DeviceUriAllowed(const char* uri);

// The driver callback PAPPL calls for every printer it creates: refuses a
// device that DeviceUriAllowed rejects, then sets the driver up.
bool SetUpCheckedDriver(pappl_system_t* system, const char* driverName, const char* deviceUri,
                        const char* deviceId, pappl_pr_driver_data_t* data, ipp_t** attrs, void* context);

}  // namespace marvik::app
