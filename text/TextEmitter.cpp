#include "text/TextEmitter.h"

#include <algorithm>

#include "printer/DotMatrixPrinter.h"

namespace marvik::text {

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kShiftIn = 0x0F;  // SI: condensed
constexpr unsigned char kCarriageReturn = 0x0D;
constexpr unsigned char kLineFeed = 0x0A;
constexpr unsigned char kMaxFeed = 255;  // the most one ESC J feeds
// The table goes into slot 1 of the printer's four, then slot 1 is selected.
constexpr unsigned char kTableSlot = 1;

void Append(std::vector<unsigned char>& out, std::initializer_list<unsigned char> bytes) {
  out.insert(out.end(), bytes);
}

}  // namespace

TextEmitter::TextEmitter(const TextOptions& options, const TextGeometry& geometry)
    : map_(options.table), formLength_(geometry.formLengthPoints) {
  // The page length (EmitForm) is the printer library's, as for a raster
  // page. It is set while the spacing is ESC @'s 1/6 in, since ESC C n counts
  // lines at the spacing in force.
  DotMatrixPrinter frame(PIN_TYPE_24, 180, 180);
  std::vector<unsigned char> part;
  frame.StartPage(start_);
  frame.EndPage(end_);
  frame.EndDoc(part);
  end_.insert(end_.end(), part.begin(), part.end());

  const CharacterTableInfo& table = InfoOf(options.table);
  const PitchInfo& pitch = InfoOf(options.pitch);
  Append(start_, {kEsc, 'x', InfoOf(options.quality).escX});
  // ESC R 0: the USA set, whatever the printer's switches say, so ASCII is ASCII.
  Append(start_, {kEsc, 'R', 0});
  Append(start_, {kEsc, '(', 't', 3, 0, kTableSlot, table.number, table.variant, kEsc, 't', kTableSlot});
  // ESC 6: 0x80 to 0x9F are characters (PC850's è is 0x8A, a line feed on
  // printers set to read them as controls). ESC O: no skip over the
  // perforation; the bottom margin is kept here.
  Append(start_, {kEsc, '6', kEsc, 'O'});
  // The margins count columns of the pitch in force: the base pitch, before
  // SI, so that they fit one byte and mean the same on every model.
  Append(start_, {kEsc, pitch.pitchCommand});
  Append(start_, {kEsc, 'l', static_cast<unsigned char>(geometry.leftColumn)});
  Append(start_, {kEsc, 'Q', static_cast<unsigned char>(geometry.rightColumn)});
  if (pitch.condensed) start_.push_back(kShiftIn);
  Append(start_, {kEsc, InfoOf(options.spacing).spacingCommand});
  // The top margin by ESC J, exact to 1/180 in whatever the line spacing.
  for (int left = geometry.topFeed; left > 0; left -= kMaxFeed) {
    Append(start_, {kEsc, 'J', static_cast<unsigned char>(std::min<int>(left, kMaxFeed))});
  }
}

bool TextEmitter::EmitForm(const Form& form, std::vector<unsigned char>& out,
                           const volatile std::sig_atomic_t* canceled, int64_t formNumber) const {
  DotMatrixPrinter frame(PIN_TYPE_24, 180, 180);
  frame.SetFormLength(formLength_, formNumber);
  std::vector<unsigned char> part;
  frame.StartDoc(part);
  out.insert(out.end(), part.begin(), part.end());
  out.insert(out.end(), start_.begin(), start_.end());
  bool whole = true;
  for (std::size_t i = 0; i < form.lines.size(); ++i) {
    EmitLine(form.lines[i], out);
    if (canceled != nullptr && *canceled != 0 && i + 1 < form.lines.size()) {
      whole = false;
      break;
    }
  }
  out.insert(out.end(), end_.begin(), end_.end());
  return whole;
}

void TextEmitter::EmitLine(const Line& line, std::vector<unsigned char>& out) const {
  // Spaces at the end print nothing unless underlined.
  std::size_t length = line.size();
  while (length > 0 && line[length - 1].character == U' ' && !line[length - 1].underline) --length;
  bool bold = false, underline = false;
  for (std::size_t i = 0; i < length; ++i) {
    const Cell& cell = line[i];
    if (cell.bold != bold) {
      bold = cell.bold;
      Append(out, {kEsc, static_cast<unsigned char>(bold ? 'E' : 'F')});
    }
    if (cell.underline != underline) {
      underline = cell.underline;
      Append(out, {kEsc, '-', underline});
    }
    const int byte = map_.Encode(cell.character);
    out.push_back(byte < 0 ? '?' : static_cast<unsigned char>(byte));
  }
  if (bold) Append(out, {kEsc, 'F'});
  if (underline) Append(out, {kEsc, '-', 0});
  Append(out, {kCarriageReturn, kLineFeed});
}

}  // namespace marvik::text
