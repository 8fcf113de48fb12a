#include "printer-app/DriverFormats.h"

#include "printer-app/TextDocument.h"

namespace marvik::app {

const char* DetectFormat(const unsigned char* header, size_t size, void*) {
  return size >= 2 && header[0] == 0x1B && header[1] == '@' ? kRawFormat : DetectText(header, size);
}

void RegisterDriverFormats(pappl_system_t* system) {
  papplSystemSetMIMECallback(system, DetectFormat, nullptr);
  papplSystemSetMaxImageSize(system, kMaxImageBytes, kMaxImagePixels, kMaxImagePixels);
}

}  // namespace marvik::app
