// Command line of escp-preview.
#pragma once

#include <string>
#include <vector>

#include "tools/preview/EscpInterpreter.h"
#include "tools/preview/PreviewSession.h"

namespace marvik::preview {

// The largest printer stream read into memory.
constexpr size_t kMaxStreamBytes = size_t{512} << 20;

struct CommandLine {
  std::string input;  // empty or "-" for standard input
  InterpreterOptions interpreter;
  SessionOptions session;
  bool writePng = true;
  bool help = false;
};

extern const char kUsage[];

// Fills *line from the arguments (without the program name). False with the
// reason in *error for an unknown option or a bad value.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* line, std::string* error);

// "360x360", "180x360" or "180" (both axes).
bool ParseResolution(const std::string& text, Resolution* resolution);

}  // namespace marvik::preview
