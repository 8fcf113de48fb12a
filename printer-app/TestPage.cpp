#include "printer-app/TestPage.h"

#include <unistd.h>

#include <cstring>
#include <string>

#include "printer-app/JobOptions.h"
#include "printer/DotMatrixPrinter.h"

namespace marvik::app {

namespace {

constexpr int kDpiX = 360, kDpiY = 180;  // one head pass a band: every other band prints the other way
constexpr int kWidth = 5 * kDpiX;        // 5 in, within the narrowest sheet (A5)
constexpr int kRulesHeight = 3 * kDpiY / 2;
constexpr int kPatchesTop = kRulesHeight + kDpiY / 4;
constexpr int kHeight = kPatchesTop + kDpiY / 2;
constexpr int kPitches[] = {6, 4, 3, 2, 1};  // columns apart at 360 dpi: 60, 90, 120, 180, 360 dpi

const char kCaption[] =
    "Test page, printed in both head directions.\r\n"
    "Jagged vertical rules: set Print direction to Unidirectional.\r\n"
    "Patches: dots 1/60, 1/90, 1/120, 1/180 and 1/360 in apart. If the last is no darker than\r\n"
    "the one before it, set Adjacent dots at 360 dpi to Two passes.\r\n\r\n";

void Dot(std::vector<unsigned char>& bitmap, int x, int y) {
  bitmap[static_cast<std::size_t>(y) * (kWidth / 8) + x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
}

}  // namespace

std::vector<unsigned char> TestPageBytes(int lengthPoints) {
  std::vector<unsigned char> bitmap(static_cast<std::size_t>(kWidth / 8) * kHeight, 0);
  for (int y = 0; y < kRulesHeight; ++y) {
    for (int x = 0; x < kWidth; x += kDpiX / 4) Dot(bitmap, x, y);  // a rule every quarter inch
  }
  for (int x = 0; x < kWidth; ++x) Dot(bitmap, x, kRulesHeight - 1);
  for (int patch = 0; patch < 5; ++patch) {
    for (int y = kPatchesTop; y < kHeight; ++y) {
      for (int x = patch * kDpiX; x < patch * kDpiX + kDpiX * 3 / 4; x += kPitches[patch]) Dot(bitmap, x, y);
    }
  }
  DotMatrixPrinter printer(PIN_TYPE_24, kDpiX, kDpiY);
  printer.SetPageLength(lengthPoints);
  printer.SetUniDirection(false);
  std::vector<unsigned char> page, part;
  if (printer.SetPage(bitmap.data(), kWidth / 8, kWidth, kHeight) < 0) return page;
  printer.StartDoc(page);
  printer.StartPage(part);
  page.insert(page.end(), part.begin(), part.end());
  page.insert(page.end(), kCaption, kCaption + std::strlen(kCaption));
  printer.Page(part);
  page.insert(page.end(), part.begin(), part.end());
  printer.EndPage(part);
  page.insert(page.end(), part.begin(), part.end());
  printer.EndDoc(part);
  page.insert(page.end(), part.begin(), part.end());
  return page;
}

const char* WriteTestPage(pappl_printer_t* printer, char* buffer, size_t size) {
  pappl_pr_driver_data_t data;
  papplPrinterGetDriverData(printer, &data);
  const int length = static_cast<int>(Points(data.media_default.size_length));
  const std::vector<unsigned char> page = TestPageBytes(length);
  const int fd = papplPrinterOpenFile(printer, buffer, size, nullptr, "testpage", "prn", "w");
  if (fd < 0) return nullptr;
  const bool written =
      !page.empty() && write(fd, page.data(), page.size()) == static_cast<ssize_t>(page.size());
  close(fd);
  return written ? buffer : nullptr;
}

}  // namespace marvik::app
