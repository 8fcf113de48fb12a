// Raster encoder for ESC/P-family dot-matrix heads with 9, 18 or 24 pins.
//
// One encoder turns one page bitmap (one bit per pixel, leftmost pixel in the
// most significant bit, 1 for a dot) into the page-body bytes: paper feeds,
// head positioning and bit-image bands. The class also carries the converter
// of the command notation in which the printer model stores its framing
// commands: hex byte pairs inside angle brackets ("<1B>@" is ESC @), every
// other character as its own byte.
//
// No operation throws; failures are results (-1).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The print head's pin count; each value is the count itself.
enum pin_type_e : int32_t {
  PIN_TYPE_9 = 9,
  PIN_TYPE_18 = 18,
  PIN_TYPE_24 = 24,
};

class MarvikESCP {
 public:
  // Ordered-dither pattern for Gray2DotMatrix.
  enum Halftone : int32_t {
    HT_AUTO = 0,       // 6 x 6
    HT_SUPERCELL = 1,  // 16 x 16 supercell
    HT_6X6 = 2,
    HT_8X8 = 3,
  };

  // Limits of a page the encoder accepts. Widths beyond kMaxColumns cannot be
  // expressed in the 16-bit ESC $ and ESC * parameters of one band; the other
  // two keep every offset and feed count far inside their integer types.
  static constexpr uint64_t kMaxColumns = 0xFFFF;
  static constexpr uint64_t kMaxBytesPerLine = 1u << 20;
  static constexpr uint64_t kMaxRows = 1u << 24;
  // Largest bitmap (bytesPerLine x height): ten times the largest page a
  // driver offers (14.875 x 11 in, 8-bit gray at 360 x 360 dpi: about 21 MB),
  // so a hostile page size cannot make a print server hold gigabytes.
  static constexpr uint64_t kMaxBitmapBytes = 256ull << 20;
  // Largest count of one ESC ( v feed or one ESC * image (two-byte parameter).
  static constexpr int32_t kMaxCommandCount = 0xFFFF;

  // Builds the encoder and derives the head geometry from pins and
  // resolution. A pin type other than 9, 18 or 24, and a 9-pin head at a
  // resolution other than 160 x 144, 160 x 72 and 80 x 72, get a geometry with
  // no bit-image mode (BitmapM() == -1); DotMatrix2Page refuses to encode
  // with it.
  MarvikESCP(pin_type_e pinType, int32_t dpiX, int32_t dpiY);

  // --- Command notation (pure, static) ---
  // Clears `out`, then appends the bytes that `text` denotes. A group left open
  // at the end of the text, or a lone digit before the end, is dropped; the
  // converter never reads past the end of `text`. A non-hex digit counts as -1
  // (the pair "G0" gives 0xF0).
  static void SequenceToByte(const std::string& text, std::vector<unsigned char>& out);
  // 16 x digit(text[0]) + digit(text[1]); -1 digits included. Needs two chars.
  static int32_t HexToNum(const char* text);
  // 0-15 for a hex digit of either case, -1 for any other character.
  static int32_t Char2Num(char c);
  // Appends `value` in decimal ASCII digits, most significant first.
  static void NumSplit(uint32_t value, std::vector<unsigned char>& out);
  // Decimal text of `value`; empty for a negative value.
  static std::string Num2String(int32_t value);

  // --- Head geometry ---
  void InitPin24();
  void InitPin18();
  void InitPin9();

  std::vector<unsigned char>& PrinterData() { return printerData; }
  const std::vector<unsigned char>& PrinterData() const { return printerData; }
  // Address of the first output byte; null while the output is empty.
  const unsigned char* PrinterDataByte() const;

  int32_t DpiX() const { return dpiX; }
  void SetDpiX(int32_t value) { dpiX = value; }
  int32_t DpiY() const { return dpiY; }
  void SetDpiY(int32_t value) { dpiY = value; }
  int32_t VerticalUnit() const { return verticalUnit; }
  void SetVerticalUnit(int32_t value) { verticalUnit = value; }
  uint8_t LinesPerRow() const { return linesPerRow; }
  void SetLinesPerRow(uint8_t value) { linesPerRow = value; }
  pin_type_e PinType() const { return pinType; }
  int32_t BitmapM() const { return bitmapM; }

  // For impact heads that cannot fire a pin in two adjacent columns at 360
  // dpi across: with `on`, every pass of a band in the 360 dpi bit-image
  // mode (ESC * 40) is sent as two head passes at the same paper position,
  // the even columns, then CR and the odd columns, each with its own white
  // runs skipped. Other modes are unaffected. Off by default; set it before
  // DotMatrix2Page.
  void SetNoAdjacentDots(bool on) { noAdjacentDots = on; }
  bool NoAdjacentDots() const { return noAdjacentDots; }
  // Blank rows between where the page body starts (the top of form) and the
  // bitmap's first row: the feed before the first band includes them. 0 by
  // default; a negative count is 0, and at most kMaxRows count.
  void SetRowsAbove(int32_t rows) { rowsAbove = std::clamp(rows, 0, static_cast<int32_t>(kMaxRows)); }
  int32_t RowsAbove() const { return rowsAbove; }

  // --- Positioning and graphics commands (append to PrinterData) ---
  // CR, then a paper feed of `rows` bitmap rows. Fine-unit form (ESC ( U /
  // ESC ( v) at a vertical 360 dpi on 18/24-pin heads and at 360 x 360;
  // ESC J steps of VerticalUnit() otherwise. Negative rows, or a resolution
  // of 0 dpi, give the CR alone.
  void AddVertical(int32_t rows);
  // CR, then ESC ( v feeds of `units`; feeds over 65535 units are split into
  // several commands. Negative units give the CR alone. Nothing for 9 pins.
  void AddVerticalEx(int32_t units);
  // ESC ( U unit (unit / 3600 inch). Nothing for 9 pins.
  void AddSetUnitCmd(uint8_t unit);
  // ESC $ to `position` (in steps of DpiX() / 60 columns); 16 bits are sent.
  void AddHorizontal(uint64_t position);
  // ESC * bit image of `count` columns of `colBytes` bytes each. Runs over
  // 65535 columns are sent as several images that join seamlessly.
  void AddGraphic(const unsigned char* columns, uint64_t count, uint64_t colBytes);

  // --- Page walk ---
  // Rebuilds PrinterData() as the page body of `bitmap` (`height` rows of
  // `bytesPerLine` bytes, `width` pixels printed per row), RowsAbove() below
  // the top of form. The paper ends no lower than the bitmap's last row.
  // Returns 1 when encoded. Returns -1 for a null bitmap (output untouched),
  // and -1 with an empty output when the arguments or the geometry would read
  // outside the bitmap or divide by zero: bytesPerLine 0 or above
  // kMaxBytesPerLine, width 0 or above 8 x bytesPerLine or kMaxColumns, height
  // above kMaxRows, DpiX() below 60, DpiY() 0 or negative, a geometry without
  // a bit-image mode, or a band height that is not a positive multiple of 8
  // (single pass) or 16 (two passes).
  int32_t DotMatrix2Page(const unsigned char* bitmap, uint64_t bytesPerLine, uint64_t width, uint64_t height);
  // One band of LinesPerRow() rows starting at `band`, single or double pass
  // by resolution.
  void OneLineToBytes(const unsigned char* band, uint64_t bytesPerLine, uint64_t width);
  // One single-pass band; -1 for a null band or unusable geometry, else 1.
  int32_t OneLineToBytesSingle(const unsigned char* band, uint64_t bytesPerLine, uint64_t width);
  // Emits one pass of a transposed band: bit images around the skipped white
  // runs of `whiteArea` (pairs of first column, rounded last column), up to
  // column `len`.
  void OneLineToBytesSingle(const unsigned char* columns, const std::vector<int32_t>& whiteArea,
                            int32_t colBytes, int32_t len);
  // One band in two interleaved passes (even rows, one-row feed, odd rows).
  int32_t OneLineToBytesDouble(const unsigned char* band, uint64_t bytesPerLine, uint64_t width);
  // Tracks white runs column by column; records runs spanning more than
  // DpiX() columns. Returns `column` for a non-white column, else 0.
  int32_t CalcWhiteArea(bool isWhite, int32_t column, int32_t width, int32_t& start, int32_t& end,
                        std::vector<int32_t>& whiteArea);

  // --- Halftoning ---
  // Ordered dither of an 8-bit gray image (0 black) into one byte per pixel
  // (1 for a dot) at the pixel's own offset y * stride + x. Returns -1 with
  // nothing written for a null image, an `out` smaller than
  // (height - 1) * stride + width bytes, negative sizes or an unknown pattern.
  static int32_t Gray2DotMatrix(const unsigned char* gray, int32_t stride, int32_t width, int32_t height,
                                std::vector<unsigned char>& out, Halftone pattern);

 private:
  struct BandScratch {
    std::vector<unsigned char> columns[2];  // one column buffer per pass
    std::vector<unsigned char> ink;         // OR of the band's rows: bit set = non-white column
    std::vector<int32_t> whiteArea;
    // Head passes without adjacent dots, index = column parity.
    std::vector<unsigned char> half;  // one pass's columns of one parity
    std::vector<unsigned char> halfInk;
    bool halfInked[2] = {false, false};
    std::vector<int32_t> halfRuns[2];
    int32_t halfLen[2] = {0, 0};
  };

  bool UsesFineFeed() const;
  bool UsesDoublePass() const;
  int32_t HorizontalStep() const;
  int32_t HorizontalStepUnits() const;
  bool CanEncode(uint64_t bytesPerLine, uint64_t width, unsigned passes) const;
  // Encodes one band whose first `rows` rows lie in the bitmap; rows below
  // them are white.
  void EncodeBand(const unsigned char* band, uint64_t bytesPerLine, uint64_t width, uint64_t rows);
  void EncodeSingle(const unsigned char* band, uint64_t bytesPerLine, uint64_t width, uint64_t rows);
  void EncodeDouble(const unsigned char* band, uint64_t bytesPerLine, uint64_t width, uint64_t rows);
  // The skipped white runs and `len` of a band from its ink (one bit per
  // column), as CalcWhiteArea finds them column by column.
  int32_t FindWhiteRuns(const std::vector<unsigned char>& ink, uint64_t width,
                        std::vector<int32_t>& runs) const;
  bool SplitsAdjacentDots() const;
  // Ink and white runs of the even and the odd head pass of a band.
  void PrepareHeadPasses(uint64_t width);
  // Sends one pass of a transposed band, split into head passes when
  // SplitsAdjacentDots().
  void EmitPass(const std::vector<unsigned char>& columns, int32_t colBytes, int32_t len, uint64_t width);

  pin_type_e pinType;
  int32_t verticalUnit = 0;
  std::vector<unsigned char> printerData;
  int32_t dpiX;
  int32_t dpiY;
  uint8_t linesPerRow = 0;
  int32_t bitmapM = -1;
  bool noAdjacentDots = false;
  int32_t rowsAbove = 0;
  BandScratch scratch;  // reused from band to band
};
