// escp-preview: shows what a dot-matrix printer would print from a printer
// stream, page by page, and proves it against the raster it came from.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/GlyphFont.h"
#include "tools/preview/PageReport.h"
#include "tools/preview/PreviewOptions.h"
#include "tools/preview/PreviewSession.h"

namespace {

constexpr int kExitSame = 0;
constexpr int kExitDiffer = 1;
constexpr int kExitError = 2;

// Closes a descriptor it opened; standard input is left open.
class InputFile {
 public:
  explicit InputFile(const std::string& path)
      : fd_(path.empty() || path == "-" ? 0 : open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~InputFile() {
    if (fd_ > 0) close(fd_);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

bool ReadStream(const std::string& path, std::vector<uint8_t>* data, std::string* error) {
  const std::string name = path.empty() || path == "-" ? "standard input" : path;
  InputFile input(path);
  if (input.fd() < 0) {
    *error = name + ": " + std::strerror(errno);
    return false;
  }
  uint8_t chunk[1 << 16];
  for (;;) {
    ssize_t got = read(input.fd(), chunk, sizeof chunk);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      *error = name + ": " + std::strerror(errno);
      return false;
    }
    if (data->size() + static_cast<size_t>(got) > marvik::preview::kMaxStreamBytes) {
      *error =
          name + ": refused, longer than " + std::to_string(marvik::preview::kMaxStreamBytes >> 20) + " MiB";
      return false;
    }
    data->insert(data->end(), chunk, chunk + got);
  }
}

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
  if (!ReadStream(line.input, &stream, &error)) return Fail(error);

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
  if (session.comparing()) {
    std::cout << "compare: " << session.missing() << " missing, " << session.extra() << " extra dots, "
              << session.unmatchedPages() << " unmatched page(s)\n";
    if (!session.identical()) return kExitDiffer;
  }
  std::cout.flush();
  if (!std::cout) return Fail("standard output: write failed");
  return kExitSame;
}
