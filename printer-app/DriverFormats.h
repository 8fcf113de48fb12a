// The document formats of the application's drivers, set on the system
// before it runs: printer-ready ESC/P recognised by its first bytes, and
// JPEG and PNG taken before PAPPL's own image conversion (ImageDocument.h).
// (PWG and Apple raster are taken over where PAPPL reads them:
// RasterTakeover.h.)
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

// Printer-ready data in the printer's own language: every driver's format.
constexpr const char* kRawFormat = "application/vnd.marvik-escp";

// Call once on a new system after its state is loaded (the state file holds
// an image limit of its own), before papplSystemRun.
void RegisterDriverFormats(pappl_system_t* system);

// The MIME typing callback: ESC/P data starts with the printer's reset, ESC @.
const char* DetectFormat(const unsigned char* header, size_t size, void* data);

}  // namespace marvik::app
