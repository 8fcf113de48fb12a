// mkraster: writes CUPS raster test pages to standard output (or -o FILE).
//
//   mkraster [-v 2|3|4|5] [-n PAGES] [-r X[xY]] [-s WxH] [-b BITS] [-c SPACE]
//            [-p blank|black|stripes|checker] [-S FIELD=VALUE]... [-R] [-t KEEP] [-T CUT] [-o FILE]
//
//   -v 2 compressed, 3 plain (default), 4 PWG raster, 5 Apple raster; -r
//   resolution in dpi (default 180x180); -s page size in points (default
//   612x792); -b bits per colour, 1 or 8 (default 1); -c cupsColorSpace
//   number (default 3, black); -S sets a header field after the layout (e.g.
//   -S cupsWidth=0); -R writes the stream without libcups, so that odd
//   headers go out as given; -t keeps only the first KEEP bytes; -T drops CUT
//   bytes from the end.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "tools/mkraster/RasterWriter.h"

namespace {

bool ParsePair(const char* text, unsigned& a, unsigned& b) {
  char* end = nullptr;
  a = b = static_cast<unsigned>(std::strtoul(text, &end, 10));
  if (*end == '\0') return true;
  if (*end != 'x') return false;
  b = static_cast<unsigned>(std::strtoul(end + 1, &end, 10));
  return *end == '\0';
}

bool ParsePattern(const char* name, marvik::raster::Pattern& pattern) {
  const char* const names[] = {"blank", "black", "stripes", "checker"};  // in the enum's order
  for (std::size_t i = 0; i < std::size(names); ++i) {
    if (std::strcmp(name, names[i]) != 0) continue;
    pattern = static_cast<marvik::raster::Pattern>(i);
    return true;
  }
  return false;
}

int Usage() {
  std::fprintf(
      stderr,
      "usage: mkraster [-v 2|3|4|5] [-n PAGES] [-r X[xY]] [-s WxH] [-b BITS] [-c SPACE]\n"
      "                [-p blank|black|stripes|checker] [-S FIELD=VALUE]... [-R] [-t KEEP] [-T CUT]\n"
      "                [-o FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  marvik::raster::StreamSpec stream;
  marvik::raster::PageSpec page;
  unsigned long pages = 1;
  const char* outPath = nullptr;
  for (int opt; (opt = getopt(argc, argv, "v:n:r:s:b:c:p:S:Rt:T:o:")) != -1;) {
    if (opt == 'v') stream.version = std::atoi(optarg);
    if (opt == 'n') pages = std::strtoul(optarg, nullptr, 10);
    if (opt == 'b') page.bitsPerColor = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10));
    if (opt == 'c') page.colorSpace = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10));
    if (opt == 'R') stream.rawHeader = true;
    if (opt == 't') stream.keepBytes = std::atoll(optarg);
    if (opt == 'T') stream.cutBytes = std::atoll(optarg);
    if (opt == 'o') outPath = optarg;
    const char* eq = opt == 'S' ? std::strchr(optarg, '=') : nullptr;
    if (eq != nullptr)
      page.overrides.emplace_back(std::string(optarg, static_cast<std::size_t>(eq - optarg)), eq + 1);
    if ((opt == 'r' && !ParsePair(optarg, page.xdpi, page.ydpi)) ||
        (opt == 's' && !ParsePair(optarg, page.widthPoints, page.heightPoints)) ||
        (opt == 'p' && !ParsePattern(optarg, page.pattern)) || (opt == 'S' && eq == nullptr) || opt == '?') {
      return Usage();
    }
  }
  if (optind != argc || stream.version < 2 || stream.version > 5 || pages > 10000) return Usage();
  stream.pages.assign(pages, page);
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!marvik::raster::BuildRasterStream(stream, bytes, error)) {
    std::fprintf(stderr, "mkraster: %s\n", error.c_str());
    return 1;
  }
  std::FILE* out = outPath ? std::fopen(outPath, "wb") : stdout;
  if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
      std::fclose(out) != 0) {
    std::perror(outPath ? outPath : "mkraster: standard output");
    return 1;
  }
  return 0;
}
