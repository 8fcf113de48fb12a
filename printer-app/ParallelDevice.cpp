#include "printer-app/ParallelDevice.h"

#include <fcntl.h>
#include <linux/lp.h>
#include <pappl/pappl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace marvik::app {

namespace {

constexpr const char* kScheme = "parallel://";
constexpr const char* kPrefixes[] = {"/dev/lp", "/dev/usb/lp"};
constexpr std::size_t kMaxPortDigits = 3;
constexpr int kListedPorts = 8;  // ports looked for per prefix when listing

struct Port {
  int fd = -1;
};

bool OpenPort(pappl_device_t* device, const char* uri, const char*) {
  const std::string path = ParallelPath(uri);
  if (path.empty()) {
    papplDeviceError(device, "Not a parallel port: %s (parallel:///dev/lpN or parallel:///dev/usb/lpN)", uri);
    return false;
  }
  std::string error;
  const int fd = OpenCharacterDevice(path, &error);
  if (fd < 0) {
    papplDeviceError(device, "%s", error.c_str());
    return false;
  }
  auto* port = new (std::nothrow) Port;
  if (port == nullptr) {
    close(fd);
    return false;
  }
  port->fd = fd;
  papplDeviceSetData(device, port);
  return true;
}

void ClosePort(pappl_device_t* device) {
  auto* port = static_cast<Port*>(papplDeviceGetData(device));
  if (port == nullptr) return;
  close(port->fd);
  delete port;
  papplDeviceSetData(device, nullptr);
}

ssize_t ReadPort(pappl_device_t* device, void* buffer, size_t bytes) {
  auto* port = static_cast<Port*>(papplDeviceGetData(device));
  if (port == nullptr) return -1;
  ssize_t n;
  do {
    n = read(port->fd, buffer, bytes);
  } while (n < 0 && errno == EINTR);
  return n;
}

// A printer that is busy or out of paper blocks the write; the kernel driver
// resumes it, so a short write is simply continued.
ssize_t WritePort(pappl_device_t* device, const void* buffer, size_t bytes) {
  auto* port = static_cast<Port*>(papplDeviceGetData(device));
  if (port == nullptr) return -1;
  const auto* data = static_cast<const unsigned char*>(buffer);
  size_t done = 0;
  while (done < bytes) {
    const ssize_t n = write(port->fd, data + done, bytes - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      papplDeviceError(device, "Unable to write to the printer: %s",
                       n < 0 ? std::strerror(errno) : "no progress");
      return -1;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

pappl_preason_t PortStatus(pappl_device_t* device) {
  auto* port = static_cast<Port*>(papplDeviceGetData(device));
  int status = 0;
  if (port == nullptr || ioctl(port->fd, LPGETSTATUS, &status) != 0) return PAPPL_PREASON_NONE;
  pappl_preason_t reasons = PAPPL_PREASON_NONE;
  if (status & LP_POUTPA) reasons |= PAPPL_PREASON_MEDIA_EMPTY;
  if (!(status & LP_PSELECD)) reasons |= PAPPL_PREASON_OFFLINE;
  return reasons;
}

bool ListPorts(pappl_device_cb_t cb, void* data, pappl_deverror_cb_t, void*) {
  for (const char* prefix : kPrefixes) {
    for (int n = 0; n < kListedPorts; ++n) {
      char path[32];
      std::snprintf(path, sizeof path, "%s%d", prefix, n);
      struct stat info;
      if (stat(path, &info) != 0 || !S_ISCHR(info.st_mode)) continue;
      char uri[48];
      char name[64];
      std::snprintf(uri, sizeof uri, "%s%s", kScheme, path);
      std::snprintf(name, sizeof name, "Parallel port %s", path);
      if (cb(name, uri, "", data)) return true;
    }
  }
  return false;
}

}  // namespace

std::string ParallelPath(const char* uri) {
  const std::size_t schemeLength = std::strlen(kScheme);
  if (uri == nullptr || std::strncmp(uri, kScheme, schemeLength) != 0) return {};
  const char* path = uri + schemeLength;
  for (const char* prefix : kPrefixes) {
    const std::size_t prefixLength = std::strlen(prefix);
    if (std::strncmp(path, prefix, prefixLength) != 0) continue;
    const char* digits = path + prefixLength;
    const std::size_t count = std::strspn(digits, "0123456789");
    if (count > 0 && count <= kMaxPortDigits && digits[count] == '\0') return path;
  }
  return {};
}

int OpenCharacterDevice(const std::string& path, std::string* error) {
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0 && (errno == EACCES || errno == EINVAL))
    fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    *error = "Unable to open " + path + ": " + std::strerror(errno);
    return -1;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
    *error = path + " is not a character device";
    close(fd);
    return -1;
  }
  return fd;
}

void RegisterParallelScheme() {
  // PAPPL registers its own schemes (usb, socket, dnssd, snmp) on first use
  // only while no scheme is registered; ask it once so ours joins them rather
  // than replacing them.
  papplDeviceIsSupported("socket://localhost");
  papplDeviceAddScheme("parallel", PAPPL_DEVTYPE_CUSTOM_LOCAL, ListPorts, OpenPort, ClosePort, ReadPort,
                       WritePort, PortStatus, nullptr);
}

}  // namespace marvik::app
