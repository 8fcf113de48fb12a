// The document formats of the application's drivers, set on the system
// before it runs: printer-ready ESC/P recognised by its first bytes, and the
// largest JPEG and PNG image PAPPL may decode. (PWG and Apple raster are
// taken over where PAPPL reads them: RasterTakeover.h.)
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

// Printer-ready data in the printer's own language: every driver's format.
constexpr const char* kRawFormat = "application/vnd.marvik-escp";

// The largest JPEG or PNG image decoded for a job: 128 MiB of pixels (a
// 14.875 x 22 in form in colour at 360 dpi is about 125 MiB) and 16384
// pixels a side, so that no image can make the server hold more.
constexpr std::size_t kMaxImageBytes = 128u << 20;
constexpr int kMaxImagePixels = 16384;

// Call once on a new system after its state is loaded (the state file holds
// an image limit of its own), before papplSystemRun.
void RegisterDriverFormats(pappl_system_t* system);

// The MIME typing callback: ESC/P data starts with the printer's reset, ESC @.
const char* DetectFormat(const unsigned char* header, size_t size, void* data);

}  // namespace marvik::app
