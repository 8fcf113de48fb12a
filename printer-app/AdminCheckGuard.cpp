// PAPPL checks a client before administration with papplClientIsAuthorized
// (and calls it through the dynamic linker), before printing with an internal
// function; both end in the same authentication callback. This executable
// exports its own papplClientIsAuthorized, which PAPPL's calls bind to, so
// that the callback knows an administration check (AdminAuth.h).
#include <dlfcn.h>
#include <pappl/pappl.h>

#include "printer-app/AdminAuth.h"

extern "C" {

http_status_t papplClientIsAuthorized(pappl_client_t* client) {
  using Check = http_status_t (*)(pappl_client_t*);
  static const auto pappl = reinterpret_cast<Check>(dlsym(RTLD_NEXT, "papplClientIsAuthorized"));
  if (pappl == nullptr) return HTTP_STATUS_FORBIDDEN;
  return marvik::app::CheckAdministration(client, pappl);
}

}  // extern "C"
