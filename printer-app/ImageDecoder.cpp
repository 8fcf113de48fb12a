#include "printer-app/ImageDecoder.h"

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "page/PixelPrep.h"

namespace marvik::app {

namespace {

// libpng keeps ancillary chunks (text, profiles) in memory: a few, small.
constexpr png_uint_32 kMaxPngChunks = 128;
constexpr png_alloc_size_t kMaxPngChunkBytes = 1u << 20;
// Each scan of a progressive JPEG passes over the whole picture again;
// encoders write about ten.
constexpr int kMaxJpegScans = 64;

constexpr double kInchesPerMetre = 0.0254;
constexpr double kCentimetresPerInch = 2.54;

// Library messages may quote bytes of the file; a job's state message is UTF-8.
void Printable(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text < 0x20 || *text > 0x7E) *text = '?';
  }
}

std::string TooLarge(std::uint32_t width, std::uint32_t height) {
  return "The image is " + std::to_string(width) + " x " + std::to_string(height) + " pixels; at most " +
         std::to_string(kMaxImagePixels) + " a side and " + std::to_string(kMaxImageBytes >> 20) +
         " MiB of decoded pixels are printed";
}

// The buffer for `channels` bytes a pixel, or a reason.
bool Allocate(GrayImage& image, int channels, std::string& problem) {
  const std::uint64_t bytes = std::uint64_t{image.width} * image.height * static_cast<unsigned>(channels);
  if (image.width > kMaxImagePixels || image.height > kMaxImagePixels || bytes > kMaxImageBytes) {
    problem = TooLarge(image.width, image.height);
    return false;
  }
  image.pixels.reset(static_cast<unsigned char*>(std::malloc(bytes)));
  if (!image.pixels) problem = "Not enough memory for the image (" + std::to_string(bytes) + " bytes)";
  return image.pixels != nullptr;
}

// Gray over white paper, by its opacity.
unsigned char OverWhite(unsigned gray, unsigned alpha) {
  return static_cast<unsigned char>((gray * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

// Gray and alpha, RGB or RGBA pixels to gray in place: over white where
// transparent, colour by the page library's luma. Pixel i is read before
// it is written, and never written before it is read.
template <int kChannels>
void ToGrayFrom(unsigned char* p, std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    const unsigned char* in = p + i * kChannels;
    if constexpr (kChannels == 2) p[i] = OverWhite(in[0], in[1]);
    if constexpr (kChannels == 3) p[i] = page::Luma(in[0], in[1], in[2]);
    if constexpr (kChannels == 4) p[i] = OverWhite(page::Luma(in[0], in[1], in[2]), in[3]);
  }
}

void ToGray(GrayImage& image, int channels) {
  const std::uint64_t count = std::uint64_t{image.width} * image.height;
  if (channels == 2) ToGrayFrom<2>(image.pixels.get(), count);
  if (channels == 3) ToGrayFrom<3>(image.pixels.get(), count);
  if (channels == 4) ToGrayFrom<4>(image.pixels.get(), count);
}

// ---- PNG

struct PngContext {
  std::jmp_buf jump;
  char message[160];
};

[[noreturn]] void PngError(png_structp png, png_const_charp message) {
  auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
  std::snprintf(context->message, sizeof context->message, "The PNG image is damaged or cut short: %s",
                message);
  Printable(context->message);
  std::longjmp(context->jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}  // damaged ancillary chunks are dropped

struct PngReader {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngReader() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
};

// Everything from here to the end of the rows may jump back to the setjmp:
// no object with a destructor lives in this frame.
DecodeResult ReadPng(PngReader& reader, PngContext& context, std::FILE* file, GrayImage& image,
                     const DecodeControl& control, int& channels) {
  DecodeResult result;
  if (setjmp(context.jump) != 0) {
    result.problem = context.message;
    return result;
  }
  png_structp png = reader.png;
  png_infop info = reader.info;
  png_init_io(png, file);
  png_set_chunk_cache_max(png, kMaxPngChunks);
  png_set_chunk_malloc_max(png, kMaxPngChunkBytes);
  png_read_info(png, info);
  image.width = png_get_image_width(png, info);
  image.height = png_get_image_height(png, info);
  if (image.width > kMaxImagePixels || image.height > kMaxImagePixels) {  // before libpng sizes its rows
    result.problem = TooLarge(image.width, image.height);
    return result;
  }
  png_set_expand(png);  // palette to RGB, 1-4 bit gray to 8, transparency to alpha
  png_set_strip_16(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  channels = png_get_channels(png, info);
  png_uint_32 xRes = 0, yRes = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &xRes, &yRes, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
    image.xPpi = xRes * kInchesPerMetre;
    image.yPpi = yRes * kInchesPerMetre;
  }
  if (!Allocate(image, channels, result.problem)) return result;
  const std::size_t rowBytes = std::size_t{image.width} * static_cast<unsigned>(channels);
  for (int pass = 0; pass < passes; ++pass) {
    for (std::uint32_t y = 0; y < image.height; ++y) {
      if (control.Canceled()) {
        result.canceled = true;
        return result;
      }
      png_read_row(png, image.pixels.get() + y * rowBytes, nullptr);
    }
  }
  result.ok = true;
  return result;
}

DecodeResult DecodePng(std::FILE* file, GrayImage& image, const DecodeControl& control) {
  PngContext context{};
  PngReader reader;
  reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, PngError, PngWarning);
  if (reader.png != nullptr) reader.info = png_create_info_struct(reader.png);
  if (reader.info == nullptr) return {false, false, "Not enough memory to read the PNG image"};
  int channels = 1;
  DecodeResult result = ReadPng(reader, context, file, image, control, channels);
  if (result.ok) ToGray(image, channels);
  return result;
}

// ---- JPEG

struct JpegContext {
  jpeg_error_mgr errors;
  jpeg_progress_mgr progress;
  std::jmp_buf jump;
  const DecodeControl* control;
  bool canceled;
  char message[JMSG_LENGTH_MAX + 64];
};

JpegContext& ContextOf(j_common_ptr cinfo) {
  return *reinterpret_cast<JpegContext*>(cinfo->err);  // errors is the first member
}

[[noreturn]] void JpegError(j_common_ptr cinfo) {
  JpegContext& context = ContextOf(cinfo);
  if (cinfo->err->msg_code == JERR_NO_BACKING_STORE) {  // libjpeg's working memory hit the limit
    std::snprintf(context.message, sizeof context.message, "The JPEG image takes more than %zu MiB to decode",
                  kMaxImageBytes >> 20);
  } else {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    std::snprintf(context.message, sizeof context.message, "The JPEG image is damaged or cut short: %s",
                  text);
    Printable(context.message);
  }
  std::longjmp(context.jump, 1);
}

// Warnings that mean the picture data is damaged or missing (libjpeg would
// fill the rest with gray) end the decoding; others are harmless.
void JpegMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  switch (cinfo->err->msg_code) {
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_JPEG_EOF:
    case JWRN_MUST_RESYNC:
      JpegError(cinfo);
    default:
      break;
  }
}

void JpegProgress(j_common_ptr cinfo) {
  JpegContext& context = ContextOf(cinfo);
  if (context.control->Canceled()) {
    context.canceled = true;
    std::longjmp(context.jump, 1);
  }
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
    std::snprintf(context.message, sizeof context.message, "The JPEG image has more than %d scans",
                  kMaxJpegScans);
    std::longjmp(context.jump, 1);
  }
}

struct JpegReader {
  jpeg_decompress_struct cinfo;
  bool created = false;
  ~JpegReader() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

// As ReadPng: no object with a destructor lives in this frame.
DecodeResult ReadJpeg(JpegReader& reader, JpegContext& context, std::FILE* file, GrayImage& image,
                      int& channels) {
  DecodeResult result;
  j_decompress_ptr cinfo = &reader.cinfo;
  cinfo->err = jpeg_std_error(&context.errors);
  context.errors.error_exit = JpegError;
  context.errors.emit_message = JpegMessage;
  context.progress.progress_monitor = JpegProgress;
  if (setjmp(context.jump) != 0) {
    result.canceled = context.canceled;
    result.problem = context.message;
    return result;
  }
  jpeg_create_decompress(cinfo);
  reader.created = true;
  cinfo->progress = &context.progress;
  cinfo->mem->max_memory_to_use = static_cast<long>(kMaxImageBytes);
  jpeg_stdio_src(cinfo, file);
  jpeg_read_header(cinfo, TRUE);
  if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK) {
    result.problem = "CMYK JPEG images are not supported (gray and colour are)";
    return result;
  }
  cinfo->out_color_space = cinfo->jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
  channels = cinfo->out_color_space == JCS_GRAYSCALE ? 1 : 3;
  image.width = cinfo->image_width;
  image.height = cinfo->image_height;
  if (cinfo->saw_JFIF_marker && (cinfo->density_unit == 1 || cinfo->density_unit == 2)) {
    const double perInch = cinfo->density_unit == 1 ? 1 : kCentimetresPerInch;
    image.xPpi = cinfo->X_density * perInch;
    image.yPpi = cinfo->Y_density * perInch;
  }
  if (!Allocate(image, channels, result.problem)) return result;
  jpeg_start_decompress(cinfo);
  const std::size_t rowBytes = std::size_t{image.width} * static_cast<unsigned>(channels);
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = image.pixels.get() + cinfo->output_scanline * rowBytes;
    JpegProgress(reinterpret_cast<j_common_ptr>(cinfo));
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  result.ok = true;
  return result;
}

DecodeResult DecodeJpeg(std::FILE* file, GrayImage& image, const DecodeControl& control) {
  JpegContext context{};
  context.control = &control;
  JpegReader reader;
  int channels = 1;
  DecodeResult result = ReadJpeg(reader, context, file, image, channels);
  if (result.ok) ToGray(image, channels);
  return result;
}

}  // namespace

DecodeResult DecodeImage(std::FILE* file, ImageFormat format, GrayImage& image,
                         const DecodeControl& control) {
  image = GrayImage{};
  DecodeResult result =
      format == ImageFormat::kPng ? DecodePng(file, image, control) : DecodeJpeg(file, image, control);
  if (!result.ok) image.pixels.reset();
  if (result.canceled) result.problem = "The job was cancelled";
  return result;
}

}  // namespace marvik::app
