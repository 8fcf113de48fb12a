// The parallel:// scheme writes only to the printer device nodes: every other
// path a client could name is refused before anything is opened.
#include <gtest/gtest.h>

#include "printer-app/ParallelDevice.h"

namespace {

TEST(ParallelPath, AcceptsOnlyPrinterDeviceNodes) {
  const struct {
    const char* uri;
    const char* path;  // "" when refused
  } cases[] = {
      {"parallel:///dev/lp0", "/dev/lp0"},
      {"parallel:///dev/lp12", "/dev/lp12"},
      {"parallel:///dev/usb/lp3", "/dev/usb/lp3"},
      {"parallel:///dev/lp", ""},
      {"parallel:///dev/lp0x", ""},
      {"parallel:///dev/lp1234", ""},
      {"parallel:///dev/lp0/../sda", ""},
      {"parallel:///dev/usb/lp", ""},
      {"parallel:///dev/sda", ""},
      {"parallel:///tmp/lp0", ""},
      {"parallel://host/dev/lp0", ""},
      {"parallel:/dev/lp0", ""},
      {"file:///dev/lp0", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(marvik::app::ParallelPath(c.uri), c.path) << c.uri;
  EXPECT_EQ(marvik::app::ParallelPath(nullptr), "");
}

}  // namespace
