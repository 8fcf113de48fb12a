// A laid-out form as the printer's bytes: the same frame as a raster page
// (ESC @, the page length, CR ... FF, ESC @), the text set-up (quality,
// character table, pitch, margins, line spacing, the feed to the top
// margin), then each line with bold and underline switched where they change.
#pragma once

#include <csignal>
#include <cstdint>
#include <vector>

#include "text/CharacterTables.h"
#include "text/TextGeometry.h"
#include "text/TextLayout.h"
#include "text/TextOptions.h"

namespace marvik::text {

class TextEmitter {
 public:
  TextEmitter(const TextOptions& options, const TextGeometry& geometry);

  // False when the C library lacks the character table's character set.
  bool Ok() const { return map_.Ok(); }

  // Appends the form's bytes to `out`. A character the table lacks prints
  // as '?'. When `canceled` (may be null) is non-zero after a line, the form
  // ends there: form feed and ESC @, the paper at the next top of form.
  // Returns false when it was cut short so. `formNumber` counts the job's
  // forms from 1: a form that is no whole number of 1/360 in long gets the
  // page length that keeps the job's paper exact (DotMatrixPrinter::SetFormLength).
  bool EmitForm(const Form& form, std::vector<unsigned char>& out,
                const volatile std::sig_atomic_t* canceled = nullptr, int64_t formNumber = 1) const;

 private:
  void EmitLine(const Line& line, std::vector<unsigned char>& out) const;

  CharacterMap map_;
  double formLength_;                 // points
  std::vector<unsigned char> start_;  // from the CR after the page length to the top margin
  std::vector<unsigned char> end_;    // form feed, ESC @
};

}  // namespace marvik::text
