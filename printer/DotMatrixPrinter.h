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
#include <set>
#include <string>
#include <vector>

#include "printer/MarvikESCP.h"

class DotMatrixPrinter {
 public:
  using CmdTable = std::map<int32_t, std::string>;

  // Top of the order-key range.
  static constexpr int32_t CmdOrderMax = 0xFFFF;
  // Longest page the fine-unit page-length command can express (65535 / 5).
  static constexpr int32_t kMaxPageLengthPoints = 13107;

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
  // is that of MarvikESCP::DotMatrix2Page.
  int32_t SetPage(const unsigned char* bitmap, uint64_t bytesPerLine, uint64_t width, uint64_t height);
  // Encodes a gray page (one byte per pixel, `bytesPerLine` the row stride)
  // through the named halftone: "HT_PATSIZE_AUTO", "HT_PATSIZE_SUPERCELL_M",
  // "HT_PATSIZE_6x6_M", "HT_PATSIZE_8x8_M", any other name as the first. The
  // dots are packed eight to a byte, rows of ceil(width / 8) bytes, before the
  // page walk. Returns -1 for null data, sizes beyond the encoder's limits or
  // width above bytesPerLine, else the page walk's result.
  int32_t SetPage(const unsigned char* gray, uint64_t bytesPerLine, uint64_t width, uint64_t height,
                  const std::string& halftone);

  // Fills the set of paper lengths (points) that get the line-based
  // page-length command, once per process; safe from any thread.
  // SetPageLength calls it itself.
  static void InitPageLength();
  // Page-length command at start-of-document key 3: ESC 2 ESC C n for a known
  // length, FS C nL nH (1/360 inch) for any other. Lengths that round to 0
  // lines, negative lengths and lengths above kMaxPageLengthPoints leave the
  // table unchanged.
  void SetPageLength(int points);

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

  // Paper lengths in points that the line-based page-length command serves.
  static std::set<int32_t> s_pageLength;

 private:
  static void BuildBuffer(const CmdTable& first, const CmdTable* second, std::vector<unsigned char>& out);
};
