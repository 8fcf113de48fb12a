// escp-preview: shows what a dot-matrix printer would print from a printer
// stream, page by page, and proves it against the raster it came from.
#include <iostream>
#include <string>
#include <vector>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/GlyphFont.h"
#include "tools/preview/InputFile.h"
#include "tools/preview/PageReport.h"
#include "tools/preview/PreviewOptions.h"
#include "tools/preview/PreviewSession.h"

namespace {

constexpr int kExitSame = 0;
constexpr int kExitDiffer = 1;
constexpr int kExitError = 2;

int Fail(const std::string& message) {
  std::cerr << "escp-preview: " << message << "\n";
  return kExitError;
}

}  // namespace

int main(int argc, char** argv) {
  marvik::preview::CommandLine line;
  std::string error;
  if (!marvik::preview::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &line, &error)) {
    std::cerr << "escp-preview: " << error << "\n" << marvik::preview::kUsage;
    return kExitError;
  }
  if (line.help) {
    std::cout << marvik::preview::kUsage;
    return kExitSame;
  }
  std::vector<uint8_t> stream;
  if (!marvik::preview::ReadInput(line.input, marvik::preview::kMaxStreamBytes, &stream, &error)) {
    return Fail(error);
  }

  marvik::preview::PreviewSession session(line.session, std::cout);
  if (!session.Open(&error)) return Fail(error);
  const marvik::preview::GlyphFont font(marvik::preview::kUnifontPath);
  line.interpreter.font = &font;
  marvik::preview::RunResult run =
      marvik::preview::Interpret(stream.data(), stream.size(), line.interpreter, session);
  if (run.ok()) session.Finish();
  if (font.missing()) {
    std::cerr << "escp-preview: characters are drawn as boxes: no font in " << font.path() << " ("
              << font.problem() << "); install the package " << marvik::preview::kUnifontPackage << "\n";
  }

  std::cout << run.pages << " page(s) from " << stream.size() << " bytes";
  if (run.skipped > 0)
    std::cout << ", " << run.skipped << " bad byte(s) skipped, first at offset " << run.firstSkipOffset;
  if (run.trailingCommands > 0)
    std::cout << ", " << run.trailingCommands << " command(s) after the last page";
  if (line.interpreter.impact) std::cout << ", " << session.dropped() << " dot(s) dropped by the impact head";
  std::cout << ", " << marvik::preview::DescribeJobTime(session.time()) << "\n";
  if (!session.error().empty()) return Fail(session.error());
  if (!run.ok()) return Fail("byte offset " + std::to_string(run.offset) + ": " + run.message);
  bool differ = false;
  if (session.comparing()) {
    std::cout << "compare: " << session.missing() << " missing, " << session.extra() << " extra dots, "
              << session.unmatchedPages() << " unmatched page(s)\n";
    differ = !session.identical();
  }
  if (const marvik::preview::TextComparison* text = session.text()) {
    std::cout << "compare text: " << text->differences() << " difference(s) in " << text->linesCompared()
              << " line(s)\n";
    differ = differ || text->differences() > 0;
  }
  std::cout.flush();
  if (!std::cout) return Fail("standard output: write failed");
  return differ ? kExitDiffer : kExitSame;
}
