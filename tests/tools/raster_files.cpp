#include "raster_files.h"

#include <cups/raster.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace roundtrip {

RasterPage WhitePage(Resolution resolution, uint32_t width, uint32_t height) {
  RasterPage page;
  page.resolution = resolution;
  page.width = width;
  page.height = height;
  page.bytesPerLine = (width + 7) / 8;
  page.bits.assign(static_cast<size_t>(page.bytesPerLine) * height, 0);
  return page;
}

void SetDot(RasterPage& page, uint32_t x, uint32_t y) {
  page.bits[static_cast<size_t>(y) * page.bytesPerLine + x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
}

bool WriteRasterFile(const std::string& path, const std::vector<RasterPage>& pages) {
  return WriteRasterFile(path, pages, CUPS_CSPACE_K, 1);
}

bool WriteRasterFile(const std::string& path, const std::vector<RasterPage>& pages, unsigned colorSpace,
                     unsigned bitsPerPixel) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_WRITE_COMPRESSED);
  bool ok = raster != nullptr;
  for (const RasterPage& page : pages) {
    if (!ok) break;
    cups_page_header2_t header;
    std::memset(&header, 0, sizeof header);
    header.HWResolution[0] = static_cast<unsigned>(page.resolution.x);
    header.HWResolution[1] = static_cast<unsigned>(page.resolution.y);
    header.PageSize[0] = static_cast<unsigned>(page.width * 72.0 / page.resolution.x + 0.5);
    header.PageSize[1] = static_cast<unsigned>(page.height * 72.0 / page.resolution.y + 0.5);
    header.NumCopies = 1;
    header.cupsWidth = page.width;
    header.cupsHeight = page.height;
    header.cupsBytesPerLine = page.bytesPerLine;
    header.cupsBitsPerColor = bitsPerPixel;
    header.cupsBitsPerPixel = bitsPerPixel;
    header.cupsColorOrder = CUPS_ORDER_CHUNKED;
    header.cupsColorSpace = static_cast<cups_cspace_t>(colorSpace);
    header.cupsNumColors = 1;
    ok = cupsRasterWriteHeader2(raster, &header) &&
         cupsRasterWritePixels(raster, const_cast<unsigned char*>(page.bits.data()),
                               static_cast<unsigned>(page.bits.size())) == page.bits.size();
  }
  if (raster != nullptr) cupsRasterClose(raster);
  return close(fd) == 0 && ok;
}

int RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
               const std::string& stdoutPath, const std::string& stderrPath, int timeoutSeconds) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env(extraEnv.size());
  std::transform(extraEnv.begin(), extraEnv.end(), env.begin(),
                 [](const std::string& e) { return const_cast<char*>(e.c_str()); });
  for (char** entry = environ; *entry != nullptr; ++entry) env.push_back(*entry);
  env.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  int status = 0;
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/escp-preview-test.XXXXXX";
  if (mkdtemp(pattern) != nullptr) path_ = pattern;
}

ScratchDir::~ScratchDir() {
  if (path_.empty()) return;
  if (DIR* dir = opendir(path_.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") unlink((path_ + "/" + name).c_str());
    }
    closedir(dir);
  }
  rmdir(path_.c_str());
}

}  // namespace roundtrip
