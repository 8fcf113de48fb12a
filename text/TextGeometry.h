// Where text goes on a form: the options' form size, margins, pitch and line
// spacing turned into columns, lines and the printer's margin settings. The
// layout and the printer commands both take their numbers from here.
#pragma once

#include "text/TextOptions.h"

namespace marvik::text {

struct TextGeometry {
  int columns = 0;              // characters on a line
  int linesPerForm = 0;         // lines on a form
  int leftColumn = 0;           // ESC l: the left margin in columns of the base pitch
  int rightColumn = 0;          // ESC Q: the right margin in columns of the base pitch
  int topFeed = 0;              // ESC J: the top margin in 1/180 in
  double formLengthPoints = 0;  // the form's length, fractions of a point included
};

enum class GeometryResult {
  kOk,
  kBadForm,    // a form size that is not positive or longer than the printer's page length
  kNoColumns,  // the left and right margins leave no column
  kNoLines,    // the top and bottom margins leave no line
};

// ESC l and ESC Q take one byte: no margin lies beyond this column.
constexpr int kMaxMarginColumn = 255;

// Margins round inwards (the left margin up to a whole column, the right one
// down), so text never reaches into them. `geometry` is filled only on kOk.
GeometryResult ComputeGeometry(const TextOptions& options, TextGeometry& geometry);

}  // namespace marvik::text
