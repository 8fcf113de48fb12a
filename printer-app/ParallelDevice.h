// The `parallel://` device scheme: a printer on a parallel port (/dev/lpN) or
// on a USB-to-parallel adapter driven by the kernel's printer class driver
// (/dev/usb/lpN). An IPP server must not write to any path a client names,
// so only those device nodes are accepted, and only when they are character
// devices.
#pragma once

#include <string>

namespace marvik::app {

// The device path of a parallel:// URI ("parallel:///dev/lp0" -> "/dev/lp0"),
// or an empty string when the URI names anything but /dev/lp<N> or
// /dev/usb/lp<N>.
std::string ParallelPath(const char* uri);

// Opens PATH for printing, and keeps it only when it is a character device:
// whatever was planted at a device path (a file, a FIFO) is never written.
// The descriptor, or -1 with the reason in ERROR.
int OpenCharacterDevice(const std::string& path, std::string* error);

// Registers the scheme with PAPPL; call before the main loop starts.
void RegisterParallelScheme();

}  // namespace marvik::app
