// Printer command model of one page: the framing commands (job, document and
// page start/end), the page-length command, media options, and the raster
// encoder that produces the page body.
//
// Framing commands are kept as texts in the command notation of MarvikESCP,
// in six tables ordered by an integer key, so that an option set later lands
// at a fixed place among the defaults. A buffer is built by joining a table's
// texts in ascending key order and converting them in one step.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "printer/FormLength.h"
#include "printer/MarvikESCP.h"

class DotMatrixPrinter {
 public:
  using CmdTable = std::map<int32_t, std::string>;

  // Top of the order-key range.
  static constexpr int32_t CmdOrderMax = 0xFFFF;
  // Longest page the fine-unit page-length command can express (65535 / 5).
  static constexpr int32_t kMaxPageLengthPoints =
      marvik::escp::kMaxFormUnits / marvik::escp::kFormUnitsPerPoint;

  // Builds the encoder with the same three values and fills the default
  // tables: ESC @ at document start, CR at page start, FF at page end, ESC @
  // at job end.
  DotMatrixPrinter(pin_type_e pinType, int32_t dpiX, int32_t dpiY);
  virtual ~DotMatrixPrinter() = default;

  // Table fillers, called once each by the constructor (not SetEjectPage).
  virtual void StartJobCmd();
  virtual void StartDocCmd();
  virtual void StartPageCmd();
  virtual void EndPageCmd();
  virtual void EndDocCmd();
  virtual void EndJobCmd();
  // Extra form feed before the default one (end-of-page key -1).
  virtual void SetEjectPage();

  // Byte buffers, each cleared then filled. Building does not change the tables.
  void StartDoc(std::vector<unsigned char>& out) const;   // start-of-job + start-of-document
  void StartPage(std::vector<unsigned char>& out) const;  // start-of-page
  void Page(std::vector<unsigned char>& out) const;       // the encoded page body
  void EndPage(std::vector<unsigned char>& out) const;    // end-of-page
  void EndDoc(std::vector<unsigned char>& out) const;     // end-of-document + end-of-job
  // The page as the printer receives it: the five buffers above joined in
  // that order. Every front end sends exactly this.
  void PageFrame(std::vector<unsigned char>& out) const;

  // Encodes a page bitmap (one bit per pixel) into the page body; the result
  // is that of MarvikESCP::DotMatrix2Page. Once a page length is set, rows
  // that begin at or below it are left out: they belong to the next form, and
  // the paper must stay above the page length, or the form feed would pass
  // over a whole blank form.
  int32_t SetPage(const unsigned char* bitmap, uint64_t bytesPerLine, uint64_t width, uint64_t height);
  // Encodes a gray page (one byte per pixel, `bytesPerLine` the row stride)
  // through the named halftone: "HT_PATSIZE_AUTO", "HT_PATSIZE_SUPERCELL_M",
  // "HT_PATSIZE_6x6_M", "HT_PATSIZE_8x8_M", any other name as the first. The
  // dots are packed eight to a byte, rows of ceil(width / 8) bytes, before the
  // page walk. Returns -1 for null data, sizes beyond the encoder's limits or
  // width above bytesPerLine, else the page walk's result.
  int32_t SetPage(const unsigned char* gray, uint64_t bytesPerLine, uint64_t width, uint64_t height,
                  const std::string& halftone);

  // Page-length command at start-of-document key 3 for a page of `points`:
  // SetFormLength(points, 1).
  void SetPageLength(int points);
  // Page-length command for form `form` (counted from 1) of a run of forms
  // `points` long, fractions of a point included: the form's whole 1/360
  // inch (escp::FormUnits, which keeps a run of any length exact) with the
  // coarsest command that sets them exactly (escp::PageLengthText): whole
  // inches, whole 1/6-inch lines, else FS C. A length of 0 or less, or above
  // kMaxPageLengthPoints, leaves the table unchanged.
  void SetFormLength(double points, int64_t form);
  // The bitmap's first row lies `rows` rows (at the vertical resolution)
  // below the top of form, as when the raster covers only the page's
  // imageable area: they are fed before the first band. Call before SetPage.
  void SetRowsAbove(int32_t rows);

  // Media options; option texts match exactly and case-sensitively.
  void SetPaperType(const std::string& paperType);  // any text but "TICKET": SetEjectPage
  void SetPrintMode(const std::string& mode);       // "SIMPLEPRN": ESC U 1, else ESC U 0
  void SetUniDirection(bool oneDirection);          // ESC U 1 / ESC U 0 at key 1
  void SetCashMode(const std::string& mode);        // "Option2" after, "Option3" before the page
  void SetBlackMarkMode(const std::string& mode);   // "Option2" page end, "Option3" page start
  void SetCutterMode(const std::string& mode, const std::string& cutOption);
  // For heads that cannot fire a pin in two adjacent columns at 360 dpi
  // across: bands in that mode go out as two head passes, even columns then
  // odd columns (MarvikESCP::SetNoAdjacentDots). Call before SetPage.
  void SetNoAdjacentDots(bool on);

  const MarvikESCP& Encoder() const { return escp; }

 protected:
  MarvikESCP escp;
  CmdTable startJobCmds;
  CmdTable endJobCmds;
  CmdTable startDocCmds;
  CmdTable endDocCmds;
  CmdTable startPageCmds;
  CmdTable endPageCmds;

  // The page length set, in 1/360 inch; 0 while none is.
  int64_t formUnits = 0;

 private:
  // `height` cut to the rows that begin above the page length.
  uint64_t RowsOnForm(uint64_t height) const;
  static void BuildBuffer(const CmdTable& first, const CmdTable* second, std::vector<unsigned char>& out);
};
