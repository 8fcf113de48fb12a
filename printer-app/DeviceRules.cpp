#include "printer-app/DeviceRules.h"

#include <pappl/pappl.h>

#include <cstring>

#include "printer-app/Marvik24Driver.h"
#include "printer-app/ParallelDevice.h"

namespace marvik::app {

namespace {

// The schemes of printer connections; parallel:// is checked further, since
// it names a path.
constexpr const char* kNetworkAndUsbSchemes[] = {"socket://", "usb://", "dnssd://", "snmp://"};

}  // namespace

bool DeviceUriAllowed(const char* uri) {
  if (uri == nullptr) return false;
  for (const char* scheme : kNetworkAndUsbSchemes) {
    if (std::strncmp(uri, scheme, std::strlen(scheme)) == 0) return true;
  }
  return !ParallelPath(uri).empty();
}

bool SetUpCheckedDriver(pappl_system_t* system, const char* driverName, const char* deviceUri,
                        const char* deviceId, pappl_pr_driver_data_t* data, ipp_t** attrs, void* context) {
  if (!DeviceUriAllowed(deviceUri)) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR,
             "Refused device '%s': only socket://, usb://, dnssd://, snmp:// and parallel:///dev/lpN "
             "devices are accepted",
             deviceUri != nullptr ? deviceUri : "");
    return false;
  }
  return SetUpDriver(system, driverName, deviceUri, deviceId, data, attrs, context);
}

}  // namespace marvik::app
