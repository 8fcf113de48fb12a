// Without avahi-daemon (containers, minimal servers) PAPPL 1.3 has no DNS-SD
// client, yet starts a DNS-SD browse whenever devices are listed (the
// `devices` sub-command, the web interface's Add Printer), and libavahi-client
// aborts the whole program on the missing client. This executable exports its
// own avahi_service_browser_new, which the dynamic linker binds PAPPL's call
// to: with no client it creates no browser (PAPPL then lists no DNS-SD
// printers), else it is avahi's own. The server logs one warning at start.
#include <dlfcn.h>

extern "C" {

struct AvahiClient;
struct AvahiServiceBrowser;
using BrowserNew = AvahiServiceBrowser* (*)(AvahiClient*, int, int, const char*, const char*, int, void*,
                                            void*);

AvahiServiceBrowser* avahi_service_browser_new(AvahiClient* client, int interface, int protocol,
                                               const char* type, const char* domain, int flags,
                                               void* callback, void* data) {
  if (client == nullptr) return nullptr;
  static const auto avahi = reinterpret_cast<BrowserNew>(dlsym(RTLD_NEXT, "avahi_service_browser_new"));
  return avahi == nullptr ? nullptr : avahi(client, interface, protocol, type, domain, flags, callback, data);
}

}  // extern "C"
