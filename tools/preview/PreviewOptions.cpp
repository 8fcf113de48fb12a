#include "tools/preview/PreviewOptions.h"

#include <cstdlib>

namespace marvik::preview {

const char kUsage[] =
    "usage: escp-preview [options] [FILE]\n"
    "Reads a printer stream (FILE, or standard input when FILE is - or missing),\n"
    "emulates the print head and writes each page as a PNG.\n"
    "  -r, --resolution XxY   render resolution in dpi (default 360x360)\n"
    "  -o, --output PREFIX    write PREFIX-1.png, PREFIX-2.png, ... (default: FILE without\n"
    "                         its extension, plus -page; preview-page for standard input)\n"
    "      --no-png           write no PNG files\n"
    "      --pins 24|9        head: 24 pins (default) or 9 pins\n"
    "      --lenient          skip unknown bytes and broken commands, and count them\n"
    "      --impact           print as an impact head that cannot fire a pin in two\n"
    "                         adjacent columns at 360 dpi across: within one head pass\n"
    "                         such dots are left out and counted\n"
    "      --pixel-dots       draw each dot as one pixel, not as a round dot of the\n"
    "                         pin's size (0.2 mm for 24 pins, 0.3 mm for 9 pins)\n"
    "      --compare FILE.ras render at the raster's resolution and compare dot by dot;\n"
    "                         PNG files only with -o, then also PREFIX-N-diff.png for\n"
    "                         a page that differs (red: missing, blue: extra)\n"
    "      --compare-text FILE.txt\n"
    "                         check a text job's characters and their places against\n"
    "                         the text it was made from; PNG files only with -o\n"
    "      --long-lines wrap|cut  the text's long lines go on in the next line\n"
    "                         (default) or lose their end\n"
    "  -h, --help             this text\n"
    "Exit status: 0 success, 1 the pages differ from the raster or the text, 2 any error.\n";

namespace {

bool ParseDpi(const std::string& text, int32_t* dpi) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value < kMinRenderDpi || value > kMaxRenderDpi) return false;
  *dpi = static_cast<int32_t>(value);
  return true;
}

std::string DefaultPrefix(const std::string& input) {
  if (input.empty() || input == "-") return "preview-page";
  std::string base = input;
  size_t slash = base.find_last_of('/');
  size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)) base.erase(dot);
  return base + "-page";
}

}  // namespace

bool ParseResolution(const std::string& text, Resolution* resolution) {
  size_t cross = text.find('x');
  Resolution parsed;
  if (cross == std::string::npos) {
    if (!ParseDpi(text, &parsed.x)) return false;
    parsed.y = parsed.x;
  } else if (!ParseDpi(text.substr(0, cross), &parsed.x) || !ParseDpi(text.substr(cross + 1), &parsed.y)) {
    return false;
  }
  *resolution = parsed;
  return true;
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* line, std::string* error) {
  bool prefixGiven = false;
  bool inputGiven = false;
  bool pixelDots = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool takesValue = arg == "-r" || arg == "--resolution" || arg == "-o" || arg == "--output" ||
                      arg == "--pins" || arg == "--compare" || arg == "--compare-text" ||
                      arg == "--long-lines";
    if (takesValue && i + 1 == args.size()) {
      *error = arg + " needs a value";
      return false;
    }
    if (arg == "-h" || arg == "--help") {
      line->help = true;
    } else if (arg == "-r" || arg == "--resolution") {
      if (!ParseResolution(args[++i], &line->session.resolution)) {
        *error = "bad resolution '" + args[i] + "' (" + std::to_string(kMinRenderDpi) + " to " +
                 std::to_string(kMaxRenderDpi) + " dpi, as 360x360 or 180)";
        return false;
      }
    } else if (arg == "-o" || arg == "--output") {
      line->session.pngPrefix = args[++i];
      prefixGiven = true;
    } else if (arg == "--no-png") {
      line->writePng = false;
    } else if (arg == "--pins") {
      const std::string& pins = args[++i];
      if (pins != "24" && pins != "9") {
        *error = "--pins takes 24 or 9, not '" + pins + "'";
        return false;
      }
      line->interpreter.head = pins == "24" ? Head::kPins24 : Head::kPins9;
    } else if (arg == "--lenient") {
      line->interpreter.lenient = true;
    } else if (arg == "--impact") {
      line->interpreter.impact = true;
    } else if (arg == "--pixel-dots") {
      pixelDots = true;
    } else if (arg == "--compare") {
      line->session.comparePath = args[++i];
    } else if (arg == "--compare-text") {
      line->session.compareTextPath = args[++i];
    } else if (arg == "--long-lines") {
      const std::string& rule = args[++i];
      if (rule != "wrap" && rule != "cut") {
        *error = "--long-lines takes wrap or cut, not '" + rule + "'";
        return false;
      }
      line->session.cutLongLines = rule == "cut";
    } else if (arg.size() > 1 && arg[0] == '-') {
      *error = "unknown option " + arg;
      return false;
    } else if (inputGiven) {
      *error = "only one input file, not '" + arg + "' as well";
      return false;
    } else {
      line->input = arg;
      inputGiven = true;
    }
  }
  line->session.dotDiameterMm = pixelDots ? 0 : PinDotMillimetres(line->interpreter.head);
  const bool comparing = !line->session.comparePath.empty() || !line->session.compareTextPath.empty();
  if (!line->writePng || (!prefixGiven && comparing)) {
    line->session.pngPrefix.clear();
  } else if (!prefixGiven) {
    line->session.pngPrefix = DefaultPrefix(line->input);
  }
  return true;
}

}  // namespace marvik::preview
