// The parallel:// scheme writes only to the printer device nodes: every other
// path a client could name is refused before anything is opened.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "printer-app/ParallelDevice.h"

using marvik::app::OpenCharacterDevice;
using marvik::app::ParallelPath;

TEST(ParallelPath, AcceptsOnlyPrinterDeviceNodes) {
  EXPECT_EQ(ParallelPath("parallel:///dev/lp0"), "/dev/lp0");
  EXPECT_EQ(ParallelPath("parallel:///dev/lp12"), "/dev/lp12");
  EXPECT_EQ(ParallelPath("parallel:///dev/usb/lp3"), "/dev/usb/lp3");
  for (const char* uri :
       {"parallel:///dev/lp", "parallel:///dev/lp0x", "parallel:///dev/lp1234", "parallel:///dev/lp0/../sda",
        "parallel:///dev/usb/lp", "parallel:///dev/sda", "parallel:///tmp/lp0", "parallel://host/dev/lp0",
        "parallel:/dev/lp0", "file:///dev/lp0", ""}) {
    EXPECT_EQ(ParallelPath(uri), "") << uri;
  }
  EXPECT_EQ(ParallelPath(nullptr), "");
}

TEST(ParallelPath, OpensOnlyCharacterDevices) {
  char dir[] = "/tmp/parallel-test.XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string planted = std::string(dir) + "/lp0";
  std::ofstream(planted) << "kept";
  for (const auto& [path, opens] :
       {std::pair<std::string, bool>{"/dev/null", true}, {planted, false}, {dir, false}}) {
    std::string error;
    const int fd = OpenCharacterDevice(path, &error);
    EXPECT_EQ(fd >= 0, opens) << path << ": " << error;
    if (fd >= 0) close(fd);
  }
  unlink(planted.c_str());
  rmdir(dir);
}
