#include "page/PrintPage.h"

#include <vector>

#include "page/FormPlacement.h"
#include "page/PixelPrep.h"
#include "printer/DotMatrixPrinter.h"

namespace marvik::page {

PageResult PrintPage(const cups_page_header2_t& h, const HeaderVerdict& verdict, unsigned char* pixels,
                     PrinterOutput& out, const PrintOptions& options, int64_t pageNumber) {
  DotMatrixPrinter printer(PIN_TYPE_24, static_cast<int32_t>(h.HWResolution[0]),
                           static_cast<int32_t>(h.HWResolution[1]));
  const FormPlacement form = PlaceOnForm(h, options.formLength);
  printer.SetFormLength(form.lengthPoints, pageNumber);
  printer.SetRowsAbove(form.rowsAbove);
  ApplyPrintOptions(options, printer);
  int32_t encoded = -1;
  switch (verdict.format) {
    case PixelFormat::kInvertedDots:
      InvertDots(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight);
      encoded = printer.SetPage(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight);
      break;
    case PixelFormat::kDots:
      encoded = printer.SetPage(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight);
      break;
    case PixelFormat::kGrayBlackHigh:
      FlipGray(pixels, verdict.pageBytes);
      encoded = printer.SetPage(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight, "HT_PATSIZE_AUTO");
      break;
    case PixelFormat::kRgb:
      RgbToGray(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight);
      encoded = printer.SetPage(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight, "HT_PATSIZE_AUTO");
      break;
    case PixelFormat::kGrayWhiteHigh:
      encoded = printer.SetPage(pixels, h.cupsBytesPerLine, h.cupsWidth, h.cupsHeight, "HT_PATSIZE_AUTO");
      break;
  }
  // A page the encoder could not walk would go out as a blank sheet.
  if (encoded < 0) return PageResult::kNotEncoded;
  std::vector<unsigned char> frame;
  printer.PageFrame(frame);
  return out.Write(frame) ? PageResult::kWritten : PageResult::kWriteFailed;
}

}  // namespace marvik::page
