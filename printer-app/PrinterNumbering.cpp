#include "printer-app/PrinterNumbering.h"

#include <algorithm>
#include <mutex>

namespace marvik::app {

namespace {

std::mutex g_numbering;
int g_next = 1;

}  // namespace

int NumberNewPrinter(pappl_system_t* system) {
  const std::lock_guard<std::mutex> lock(g_numbering);
  g_next = std::max(g_next, papplSystemGetNextPrinterID(system));
  while (papplSystemFindPrinter(system, nullptr, g_next, nullptr) != nullptr) ++g_next;
  return g_next++;
}

int NextPrinterNumber(pappl_system_t* system) {
  const std::lock_guard<std::mutex> lock(g_numbering);
  return std::max(g_next, papplSystemGetNextPrinterID(system));
}

}  // namespace marvik::app
