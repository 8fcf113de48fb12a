// mkraster: writes CUPS raster test pages to standard output (or -o FILE).
//
//   mkraster [-v 2|3|4|5] [-n PAGES] [-r XxY] [-s WxH] [-b BITS] [-c SPACE]
//            [-p blank|black|stripes|checker|gradient] [-i IMAGE.pbm|.pgm]
//            [-N NAME] [-C COPIES] [-S FIELD=VALUE]... [-R] [-t KEEP] [-T CUT]
//            [-o FILE]
//
//   -v  2 compressed, 3 plain (default), 4 PWG raster, 5 Apple raster;
//   -r  resolution in dpi (default 180x180); -s page size in points
//       (default 612x792); -b bits per pixel, 1 or 8 (default 1); -c
//       cupsColorSpace number (default 3, black); -S sets a header field
//       after the layout (e.g. -S cupsWidth=0, -S "HWResolution[0]=200");
//       -R writes the stream without libcups so odd headers go out as given;
//       -t keeps only the first KEEP bytes; -T drops CUT bytes from the end.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/mkraster/NetpbmImage.h"
#include "tools/mkraster/RasterWriter.h"

namespace {

bool ParsePair(const char* text, unsigned& a, unsigned& b) {
  char* end = nullptr;
  a = static_cast<unsigned>(std::strtoul(text, &end, 10));
  if (*end == '\0') {
    b = a;
    return true;
  }
  if (*end != 'x') return false;
  b = static_cast<unsigned>(std::strtoul(end + 1, &end, 10));
  return *end == '\0';
}

bool ParsePattern(const std::string& name, marvik::raster::Pattern& pattern) {
  static const struct {
    const char* name;
    marvik::raster::Pattern value;
  } kPatterns[] = {{"blank", marvik::raster::Pattern::kBlank},
                   {"black", marvik::raster::Pattern::kBlack},
                   {"stripes", marvik::raster::Pattern::kStripes},
                   {"checker", marvik::raster::Pattern::kChecker},
                   {"gradient", marvik::raster::Pattern::kGradient}};
  for (const auto& p : kPatterns) {
    if (name == p.name) {
      pattern = p.value;
      return true;
    }
  }
  return false;
}

int Usage() {
  std::fprintf(stderr,
               "usage: mkraster [-v 2|3|4|5] [-n PAGES] [-r XxY] [-s WxH] [-b BITS] [-c SPACE]\n"
               "                [-p blank|black|stripes|checker|gradient] [-i IMAGE] [-N NAME]\n"
               "                [-C COPIES] [-S FIELD=VALUE]... [-R] [-t KEEP] [-T CUT] [-o FILE]\n");
  return 2;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  marvik::raster::StreamSpec stream;
  marvik::raster::PageSpec page;
  marvik::raster::NetpbmImage image;
  unsigned pages = 1;
  const char* outPath = nullptr;
  int opt;
  while ((opt = getopt(argc, argv, "v:n:r:s:b:c:p:i:N:C:S:Rt:T:o:")) != -1) {
    std::string error;
    switch (opt) {
      case 'v':
        stream.version = std::atoi(optarg);
        break;
      case 'n':
        pages = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10));
        break;
      case 'r':
        if (!ParsePair(optarg, page.xdpi, page.ydpi)) return Usage();
        break;
      case 's':
        if (!ParsePair(optarg, page.widthPoints, page.heightPoints)) return Usage();
        break;
      case 'b':
        page.bitsPerColor = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10));
        break;
      case 'c':
        page.colorSpace = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10));
        break;
      case 'p':
        if (!ParsePattern(optarg, page.pattern)) return Usage();
        break;
      case 'i':
        if (!marvik::raster::LoadNetpbm(optarg, image, error)) {
          std::fprintf(stderr, "mkraster: %s\n", error.c_str());
          return 1;
        }
        page.image = &image;
        break;
      case 'N':
        page.pageSizeName = optarg;
        break;
      case 'C':
        page.numCopies = static_cast<unsigned>(std::strtoul(optarg, nullptr, 10));
        break;
      case 'S': {
        const char* eq = std::strchr(optarg, '=');
        if (eq == nullptr) return Usage();
        page.overrides.emplace_back(std::string(static_cast<const char*>(optarg), eq), std::string(eq + 1));
        break;
      }
      case 'R':
        stream.rawHeader = true;
        break;
      case 't':
        stream.keepBytes = std::atoll(optarg);
        break;
      case 'T':
        stream.cutBytes = std::atoll(optarg);
        break;
      case 'o':
        outPath = optarg;
        break;
      default:
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
  std::FILE* out = outPath ? std::fopen(outPath, "wb") : nullptr;
  if (outPath && !out) {
    std::perror(outPath);
    return 1;
  }
  const bool ok = WriteAll(out ? fileno(out) : STDOUT_FILENO, bytes);
  if (out) std::fclose(out);
  if (!ok) {
    std::fprintf(stderr, "mkraster: write failed\n");
    return 1;
  }
  return 0;
}
