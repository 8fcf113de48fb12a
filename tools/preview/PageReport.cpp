#include "tools/preview/PageReport.h"

#include <cstdio>

namespace marvik::preview {

namespace {

std::string Format(const char* format, double a, double b, double c, double d) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

std::string BoundingBox(const DotCanvas& canvas) {
  if (canvas.empty()) return "no bbox";
  Resolution r = canvas.resolution();
  std::string pixels = "bbox x " + std::to_string(canvas.minX()) + ".." + std::to_string(canvas.maxX()) +
                       ", y " + std::to_string(canvas.minY()) + ".." + std::to_string(canvas.maxY()) + " px";
  return pixels +
         Format(" (%.2f..%.2f in across, %.2f..%.2f in down)", static_cast<double>(canvas.minX()) / r.x,
                static_cast<double>(canvas.maxX() + 1) / r.x, static_cast<double>(canvas.minY()) / r.y,
                static_cast<double>(canvas.maxY() + 1) / r.y);
}

std::string CommandList(const CommandCounts& counts) {
  std::string list;
  for (size_t i = 0; i < counts.size(); ++i) {
    if (counts[i] == 0) continue;
    if (!list.empty()) list += ", ";
    list += std::string(CommandName(static_cast<Command>(i))) + " x" + std::to_string(counts[i]);
  }
  return list.empty() ? "none" : list;
}

}  // namespace

std::string DescribePage(const Page& page) {
  const DotCanvas& canvas = *page.canvas;
  Resolution r = canvas.resolution();
  std::string text = "page " + std::to_string(page.number) + ": " + std::to_string(canvas.dots()) + " dots";
  if (canvas.strikes() != canvas.dots()) {
    text += " (" + std::to_string(canvas.strikes() - canvas.dots()) + " struck twice)";
  }
  const size_t characters = page.characters != nullptr ? page.characters->size() : 0;
  if (characters > 0) text += ", " + std::to_string(characters) + " characters";
  text += " at " + std::to_string(r.x) + "x" + std::to_string(r.y) + " dpi, " + BoundingBox(canvas);
  text += ", page length " + DescribePageLength(page.length);
  if (page.length.form != PageLength::Form::kNotSet && !page.lengthSetOnPage) text += " from an earlier page";
  if (page.length.form != PageLength::Form::kNotSet && !canvas.empty()) {
    // On continuous paper such rows land beyond the perforation.
    double bottom = static_cast<double>(canvas.maxY() + 1) / r.y;
    double length = static_cast<double>(page.length.units) / kUnitsPerInch;
    if (bottom > length) text += Format(", dots run %.2f in past the page length", bottom - length, 0, 0, 0);
  }
  if (page.endedBySkip) {
    text += ", ended by the skip over the perforation (ESC N)";
  } else if (!page.endedByFormFeed) {
    text += ", no form feed at the end";
  }
  if (page.unknownTables > 0) {
    text += ", " + std::to_string(page.unknownTables) +
            " ESC ( t for a table the printer does not have (it kept its table)";
  }
  if (page.adjacentDots > 0) {
    text += ", " + std::to_string(page.adjacentDots) +
            " dots next to another in a 360 dpi row (ESC * 40: many printers leave them out)";
  }
  if (page.impact) {
    text += ", " + std::to_string(page.droppedDots) +
            " dots dropped by the impact head (pin fired in the column before)";
  }
  text += "\n  commands: " + CommandList(page.commands) + "\n";
  const PrintTime& time = page.time;
  text += "  time: " + std::to_string(time.passes) + " head passes" +
          Format(", %.1f in printed, %.1f in moved, %.2f in of paper fed, about %.1f s\n", time.printedInches,
                 time.movedInches, time.fedInches, time.seconds);
  return text;
}

std::string DescribeJobTime(const PrintTime& time) {
  return Format("about %.1f s on paper (", time.seconds, 0, 0, 0) + std::to_string(time.passes) +
         Format(" head passes, %.2f in of paper)", time.fedInches, 0, 0, 0);
}

std::string DescribeComparison(int32_t rasterPage, const RasterPage& raster,
                               const PageComparison& comparison) {
  std::string text = "  compare with raster page " + std::to_string(rasterPage) + " (" +
                     std::to_string(raster.width) + "x" + std::to_string(raster.height) + " px at " +
                     std::to_string(raster.resolution.x) + "x" + std::to_string(raster.resolution.y) +
                     " dpi): " + std::to_string(comparison.missing) + " missing, " +
                     std::to_string(comparison.extra) + " extra dots\n";
  if (!comparison.firstRows.empty()) {
    text += "  first differing rows:";
    for (const RowDifference& row : comparison.firstRows) {
      text += " " + std::to_string(row.row) + " (" + std::to_string(row.missing) + " missing, " +
              std::to_string(row.extra) + " extra)";
    }
    text += "\n";
  }
  return text;
}

}  // namespace marvik::preview
