// PAPPL reports why a printer's device did not open only to its log. This
// executable exports its own papplDeviceOpen, which the dynamic linker binds
// PAPPL's calls to: it notes each outcome with its reason
// (DeviceReachability.h), so that clients see why a job waits.
#include <dlfcn.h>
#include <pappl/pappl.h>

#include <string>

#include "printer-app/DeviceReachability.h"

namespace {

struct Opening {
  pappl_deverror_cb_t callback;
  void* data;
  std::string error;
};

void CatchError(const char* message, void* data) {
  auto* opening = static_cast<Opening*>(data);
  opening->error = message != nullptr ? message : "";
  if (opening->callback != nullptr) opening->callback(message, opening->data);
}

}  // namespace

extern "C" {

pappl_device_t* papplDeviceOpen(const char* uri, const char* name, pappl_deverror_cb_t errorCallback,
                                void* errorData) {
  using Open = pappl_device_t* (*)(const char*, const char*, pappl_deverror_cb_t, void*);
  static const auto pappl = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "papplDeviceOpen"));
  if (pappl == nullptr) return nullptr;
  Opening opening{errorCallback, errorData, {}};
  pappl_device_t* device = pappl(uri, name, CatchError, &opening);
  if (device == nullptr && opening.error.empty()) opening.error = "unknown error";
  marvik::app::NoteDeviceOpen(uri, device != nullptr ? nullptr : opening.error.c_str());
  return device;
}

}  // extern "C"
