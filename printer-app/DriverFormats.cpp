#include "printer-app/DriverFormats.h"

#include "printer-app/ImageDecoder.h"
#include "printer-app/ImageDocument.h"
#include "printer-app/TextDocument.h"

namespace marvik::app {

const char* DetectFormat(const unsigned char* header, size_t size, void*) {
  return size >= 2 && header[0] == 0x1B && header[1] == '@' ? kRawFormat : DetectText(header, size);
}

void RegisterDriverFormats(pappl_system_t* system) {
  papplSystemSetMIMECallback(system, DetectFormat, nullptr);
  RegisterImageFilters(system);
  // PAPPL's own image conversion is not reached; were it, with the same limits.
  papplSystemSetMaxImageSize(system, kMaxImageBytes, static_cast<int>(kMaxImagePixels),
                             static_cast<int>(kMaxImagePixels));
}

}  // namespace marvik::app
