// Builds CUPS raster streams for tests: any page size, resolution, depth and
// colour space, header fields overridden afterwards, raster version 2
// (compressed), 3 (plain), PWG or Apple raster, and cut short on request.
#pragma once

#include <cups/raster.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace marvik::raster {

// Pixel data rendered for one page is capped here; a header that claims more
// (a malformed one on purpose) gets a stream that ends early.
constexpr std::uint64_t kMaxRenderBytes = 64ull * 1024 * 1024;

enum class Pattern { kBlank, kBlack, kStripes, kChecker };

struct PageSpec {
  unsigned xdpi = 180;
  unsigned ydpi = 180;
  unsigned widthPoints = 612;
  unsigned heightPoints = 792;
  unsigned bitsPerColor = 1;
  unsigned colorSpace = CUPS_CSPACE_K;  // RGB and sRGB: three colours a pixel
  unsigned numCopies = 1;
  std::string pageSizeName = "Letter";
  Pattern pattern = Pattern::kStripes;
  // Header fields set after the layout, as "field" / "value" pairs; see
  // ApplyOverride for the names.
  std::vector<std::pair<std::string, std::string>> overrides;
};

struct StreamSpec {
  int version = 3;         // 2: compressed "RaS2"; 3: plain "RaS3"; 4: PWG raster; 5: Apple raster
  bool rawHeader = false;  // write the stream without libcups (version 3 only),
                           // so that headers libcups would mangle go out as given
  std::vector<PageSpec> pages;
  long long keepBytes = -1;  // >= 0: keep only this many bytes of the stream
  long long cutBytes = 0;    // > 0: drop this many bytes from the end
};

// The header libcups would get for this page before overrides.
cups_page_header2_t LayoutHeader(const PageSpec& page);

// Sets one header field by name: NumCopies, Duplex, ManualFeed, MediaPosition,
// Orientation, cupsMediaType, cupsCompression, cupsWidth, cupsHeight,
// cupsBytesPerLine, cupsBitsPerColor, cupsBitsPerPixel, cupsColorOrder,
// cupsColorSpace, HWResolution[0|1], PageSize[0|1], Margins[0|1],
// ImagingBoundingBox[0..3], cupsInteger[0] (numbers), cupsPageSizeName (text;
// the value "@unterminated" fills all 64 bytes without a NUL).
bool ApplyOverride(cups_page_header2_t& header, const std::string& field, const std::string& value);

// The page's pixels as the header lays them out (capped at kMaxRenderBytes).
std::vector<std::uint8_t> RenderPage(const cups_page_header2_t& header, const PageSpec& page);

// Builds the whole stream into `out`.
bool BuildRasterStream(const StreamSpec& request, std::vector<std::uint8_t>& out, std::string& error);

}  // namespace marvik::raster
