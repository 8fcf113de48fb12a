#include "printer-app/AppSystem.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "printer-app/AdminAuth.h"
#include "printer-app/DeviceReachability.h"
#include "printer-app/DeviceRules.h"
#include "printer-app/DriverFormats.h"
#include "printer-app/Marvik24Driver.h"
#include "printer-app/StateFile.h"
#include "printer-app/StopSignals.h"
#include "printer-app/TextDocument.h"

namespace marvik::app {

namespace {

// The directory a user chose for everything the application keeps; without
// it, the service's. PAPPL's main loop puts the control socket under
// SNAP_COMMON, its default log under TMPDIR, and libcups its per-user files
// (TLS credentials) under HOME, so all three point there.
constexpr const char* kDirVariable = "MARVIK_PRINTER_APP_DIR";
constexpr const char* kServiceDirectory = "/var/lib/marvik-printer-app";

constexpr int kDefaultPort = 8631;
constexpr const char* kLoopback = "localhost";
constexpr const char* kAnyAddress = "*";
// Only the server's user (and root) may use the control socket: through it
// any sub-command administers the server without a password.
constexpr mode_t kSocketMode = S_IRUSR | S_IWUSR;
// PAPPL acts on `shutdown` and SIGTERM when its main loop wakes; a timer
// wakes it every second.
constexpr int kWakeSeconds = 1;
// PAPPL 1.3 deadlocks when it saves its state while a job is refused or
// aborted on another thread (the save holds the system lock and waits for
// the printer's, the job holds the printer's and waits for the system's).
// PAPPL already refuses a raster job while another prints; with one active
// job per printer no job is ever refused after it was created, so that
// path is never taken.
constexpr int kMaxActiveJobs = 1;
// avahi-daemon's socket: without the daemon, PAPPL's DNS-SD browser aborts
// the server when asked for devices.
constexpr const char* kAvahiSocket = "/run/avahi-daemon/socket";

constexpr const char* kFooter = "Marvik dot-matrix printers, driverless.";

std::string g_directory;  // chosen by ChooseDirectory
std::string g_baseName;   // PAPPL names the socket after the program
std::string g_statePath;
std::string g_socketPath;

struct ServerOptions {
  int port = kDefaultPort;
  std::string listen = kLoopback;
  std::string logFile;
  pappl_loglevel_t logLevel = PAPPL_LOGLEVEL_INFO;
  std::string authService;
  std::string adminGroup;
};

bool IsLoopback(const std::string& host) {
  return host == kLoopback || host == "::1" || host.rfind("127.", 0) == 0;
}

bool ParseLogLevel(const char* value, pappl_loglevel_t* level) {
  constexpr const char* kLevels[] = {"debug", "info", "warn", "error", "fatal"};
  for (int i = 0; i < 5; ++i) {
    if (std::strcmp(value, kLevels[i]) == 0) {
      *level = static_cast<pappl_loglevel_t>(PAPPL_LOGLEVEL_DEBUG + i);
      return true;
    }
  }
  return false;
}

bool ParseOptions(int count, cups_option_t* options, ServerOptions* out) {
  for (int i = 0; i < count; ++i) {
    const char* name = options[i].name;
    const char* value = options[i].value;
    bool ok = true;
    if (std::strcmp(name, "server-port") == 0) {
      char* end = nullptr;
      const long port = std::strtol(value, &end, 10);
      ok = *value != '\0' && *end == '\0' && port >= 1 && port <= 65535;
      out->port = static_cast<int>(port);
    } else if (std::strcmp(name, "listen-hostname") == 0) {
      out->listen = value;
      ok = *value != '\0';
    } else if (std::strcmp(name, "log-file") == 0) {
      out->logFile = value;
    } else if (std::strcmp(name, "log-level") == 0) {
      ok = ParseLogLevel(value, &out->logLevel);
    } else if (std::strcmp(name, "auth-service") == 0) {
      out->authService = value;
    } else if (std::strcmp(name, "admin-group") == 0) {
      out->adminGroup = value;
    } else {
      std::fprintf(stderr, "marvik-printer-app: unknown server option %s\n", name);
      return false;
    }
    if (!ok) {
      std::fprintf(stderr, "marvik-printer-app: bad value for %s: %s\n", name, value);
      return false;
    }
  }
  if (!out->adminGroup.empty() && out->authService.empty()) {
    std::fprintf(stderr, "marvik-printer-app: admin-group needs auth-service\n");
    return false;
  }
  return true;
}

bool AvahiRunning() {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", kAvahiSocket);
  const bool up = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return up;
}

bool Tick(pappl_system_t* system, void* data) {
  ReportDeviceReachability(system);
  auto* socketSecured = static_cast<bool*>(data);
  if (!*socketSecured) {
    WatchStopSignals();  // the first tick: PAPPL's main loop has set its handlers
    if (chmod(g_socketPath.c_str(), kSocketMode) == 0) {
      *socketSecured = true;
    } else {
      papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to restrict the control socket %s: %s",
               g_socketPath.c_str(), std::strerror(errno));
    }
  }
  return true;
}

// PAPPL lets any client use the web forms while the system has neither an
// authentication callback nor a web password. Opened to the network without
// an authentication service, the web administration is locked with a
// password nobody knows; the sub-commands still administer the server
// through the control socket. Otherwise no password is kept.
void LockWebAdministration(pappl_system_t* system, bool lock) {
  if (!lock) {
    papplSystemSetPassword(system, "");
    return;
  }
  char secret[65] = "";
  for (int i = 0; i < 8; ++i) std::snprintf(secret + 8 * i, 9, "%08x", papplGetRand());
  char hash[256];
  papplSystemSetPassword(system, papplSystemHashPassword(system, nullptr, secret, hash, sizeof hash));
}

bool Save(pappl_system_t* system, void*) {
  return SaveState(system, g_statePath);
}

// Printers created, and those loaded from the state.
void SetUpPrinter(pappl_printer_t* printer, void*) {
  papplPrinterSetMaxActiveJobs(printer, kMaxActiveJobs);
  SetRibbonSupply(printer);
}

}  // namespace

bool ChooseDirectory(int argc, char* argv[]) {
  const char* chosen = std::getenv(kDirVariable);
  const bool isDefault = chosen == nullptr || *chosen == '\0';
  g_directory = isDefault ? kServiceDirectory : chosen;
  const char* slash = std::strrchr(argv[0], '/');
  g_baseName = slash != nullptr ? slash + 1 : argv[0];
  g_statePath = g_directory + "/" + g_baseName + ".state";
  g_socketPath = g_directory + "/" + g_baseName + ".sock";
  const char* command = argc > 1 ? argv[1] : "";
  if (command[0] == '-' || std::strcmp(command, "drivers") == 0) return true;  // --help, --version

  struct stat info;
  if (g_directory[0] != '/' || stat(g_directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    if (isDefault) {
      std::fprintf(stderr,
                   "marvik-printer-app: %s does not exist: install the package's service, or set %s to a "
                   "directory of your own\n",
                   kServiceDirectory, kDirVariable);
    } else {
      std::fprintf(stderr, "marvik-printer-app: %s=%s is not the absolute path of a directory\n",
                   kDirVariable, chosen);
    }
    return false;
  }
  if (g_socketPath.size() >= sizeof(sockaddr_un::sun_path)) {
    std::fprintf(stderr,
                 "marvik-printer-app: the control socket's path %s is longer than %zu bytes: choose a "
                 "shorter %s\n",
                 g_socketPath.c_str(), sizeof(sockaddr_un::sun_path) - 1, kDirVariable);
    return false;
  }
  if (isDefault && std::strcmp(command, "server") == 0 && geteuid() == 0) {
    std::fprintf(stderr,
                 "marvik-printer-app: the server does not run as root in %s: start the service "
                 "(systemctl start marvik-printer-app), or set %s to run a server of your own\n",
                 kServiceDirectory, kDirVariable);
    return false;
  }
  return setenv("SNAP_COMMON", g_directory.c_str(), 1) == 0 &&
         setenv("TMPDIR", g_directory.c_str(), 1) == 0 && setenv("HOME", g_directory.c_str(), 1) == 0;
}

pappl_system_t* CreateSystem(int numOptions, cups_option_t* options, void*) {
  ServerOptions settings;
  if (!ParseOptions(numOptions, options, &settings)) return nullptr;
  const bool network = !IsLoopback(settings.listen);
  pappl_soptions_t soptions =
      PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE | PAPPL_SOPTIONS_WEB_LOG;
  // Administration from other hosts only with a way to authenticate.
  if (network && !settings.authService.empty()) soptions |= PAPPL_SOPTIONS_WEB_REMOTE;
  const std::string spool = g_directory + "/" + g_baseName + ".d";
  pappl_system_t* system = papplSystemCreate(
      soptions, g_baseName.c_str(), settings.port, "_print,_universal", spool.c_str(),
      settings.logFile.empty() ? nullptr : settings.logFile.c_str(), settings.logLevel, nullptr, false);
  if (system == nullptr) {
    std::fprintf(stderr, "marvik-printer-app: unable to create the server\n");
    return nullptr;
  }
  const char* listen = settings.listen == kAnyAddress ? nullptr : settings.listen.c_str();
  if (!papplSystemAddListeners(system, listen)) {
    std::fprintf(stderr, "marvik-printer-app: unable to listen on %s port %d\n", settings.listen.c_str(),
                 settings.port);
    papplSystemDelete(system);
    return nullptr;
  }
  if (network) {
    papplLog(system, PAPPL_LOGLEVEL_INFO, "Listening on the network (%s): administration from other hosts %s",
             settings.listen.c_str(),
             settings.authService.empty() ? "is refused, the web forms are locked (no auth-service)"
                                          : "requires authentication");
  }
  if (!settings.authService.empty())
    RequireAdminAuthentication(system, settings.authService, settings.adminGroup);
  papplSystemSetFooterHTML(system, kFooter);
  papplSystemSetPrinterDrivers(system, kDriverCount, kDrivers, AutoAddDriver, SetUpPrinter,
                               SetUpCheckedDriver, nullptr);
  if (!AvahiRunning()) {
    papplLog(system, PAPPL_LOGLEVEL_WARN,
             "avahi-daemon is not running: printers are not announced by DNS-SD and network printers are "
             "not discovered; add them by address (socket://HOST:9100)");
  }
  if (LoadState(system, g_statePath) == StateLoad::kRefused) {
    papplSystemDelete(system);
    return nullptr;
  }
  // After the state, which holds an image size limit of its own.
  RegisterDriverFormats(system);
  RegisterTextFormat(system);
  LockWebAdministration(system, network && settings.authService.empty());
  papplSystemIteratePrinters(system, SetUpPrinter, nullptr);
  papplSystemSetSaveCallback(system, Save, nullptr);
  static bool socketSecured = false;
  papplSystemAddTimerCallback(system, std::time(nullptr), kWakeSeconds, Tick, &socketSecured);
  return system;
}

}  // namespace marvik::app
