#include "logging/ConfigParser.h"

#include <cctype>
#include <cstdlib>

#include "logging/marvlog.h"

namespace marvlog {

namespace {

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "false" and "0" switch off; anything else, the empty value too, on.
bool switchValue(const std::string& value) {
  return !(value == "false" || value == "0");
}

bool levelValue(const std::string& value, int32_t* level) {
  static const struct {
    const char* word;
    int32_t level;
  } kLevels[] = {{"trace", LOG_TRACE}, {"all", LOG_TRACE},   {"debug", LOG_DEBUG},
                 {"info", LOG_INFO},   {"warn", LOG_WARN},   {"warning", LOG_WARN},
                 {"error", LOG_ERROR}, {"alarm", LOG_ALARM}, {"fatal", LOG_FATAL}};
  for (const auto& entry : kLevels) {
    if (value == entry.word) {
      *level = entry.level;
      return true;
    }
  }
  return false;
}

// Leading decimal digits like atoi, saturating instead of overflowing.
long long leadingNumber(const std::string& value) {
  size_t i = 0;
  while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i]))) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  long long number = 0;
  for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])); ++i) {
    if (number < 100000000000LL) number = number * 10 + (value[i] - '0');
  }
  return negative ? -number : number;
}

int32_t clampInt32(long long value) {
  if (value > 2147483647LL) return 2147483647;
  if (value < -2147483647LL - 1) return -2147483647 - 1;
  return static_cast<int32_t>(value);
}

// Sets one field of info; returns the setting it names, or LOG_DATA_RECORD
// for a key it does not know or a level word it cannot read.
LogDataType applySetting(LoggerInfo& info, const std::string& key, const std::string& rawValue) {
  if (key == "path") {
    info.path = rawValue;
    return LOG_DATA_PATH;
  }
  if (key == "name") {
    info.name = rawValue;
    return LOG_DATA_NAME;
  }
  const std::string value = lowerCase(rawValue);
  int32_t level = 0;
  if (key == "level") {
    if (!levelValue(value, &level)) return LOG_DATA_RECORD;
    info.level.store(level);
    return LOG_DATA_LEVEL;
  }
  if (key == "display") {
    info.display.store(switchValue(value));
    return LOG_DATA_DISPLAY;
  }
  if (key == "outfile") {
    info.outfile.store(switchValue(value));
    return LOG_DATA_OUTFILE;
  }
  if (key == "monthdir") {
    info.monthdir = switchValue(value);
    return LOG_DATA_MONTHDIR;
  }
  if (key == "fileline") {
    info.fileline.store(switchValue(value));
    return LOG_DATA_FILELINE;
  }
  if (key == "enable") {
    info.enable.store(switchValue(value));
    return LOG_DATA_ENABLE;
  }
  if (key == "limitsize") {
    // atoi's result, carried as unsigned like the setter's argument.
    info.limitsize = static_cast<uint32_t>(clampInt32(leadingNumber(value)));
    return LOG_DATA_LIMITSIZE;
  }
  if (key == "reserve") {
    info.reserveTime = clampInt32(leadingNumber(value));
    return LOG_DATA_RESERVE;
  }
  return LOG_DATA_RECORD;
}

}  // namespace

void trimLogConfig(std::string& text, std::string extra) {
  const std::string set = "\r\n\t " + extra;
  size_t first = 0;
  if (text.size() > 2 && static_cast<unsigned char>(text[0]) == 0xEF &&
      static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF) {
    first = 3;
  }
  first = text.find_first_not_of(set, first);
  if (first == std::string::npos) {
    text.clear();
    return;
  }
  const size_t last = text.find_last_not_of(set);
  text = text.substr(first, last - first + 1);
}

std::pair<std::string, std::string> splitPairString(const std::string& text, const std::string& delim) {
  const size_t at = delim.empty() ? std::string::npos : text.find(delim);
  if (at == std::string::npos) return {text, std::string()};
  return {text.substr(0, at), text.substr(at + delim.size())};
}

bool parseConfigLine(const std::string& line, int lineNumber, std::string& section,
                     std::map<std::string, LoggerInfo>& out, NamedSettings* named) {
  (void)lineNumber;
  std::pair<std::string, std::string> pair = splitPairString(line, "=");
  if (pair.first.empty()) return false;
  trimLogConfig(pair.first, "");
  trimLogConfig(pair.second, "");
  if (pair.first.empty() || pair.first[0] == '#') return true;
  if (pair.first[0] == '[') {
    std::string name = pair.first;
    trimLogConfig(name, "[]");
    if (lowerCase(name) == "main") name = MARVLOG_MAIN_LOGGER_KEY;
    section = name;
    // "[]" names no logger; its lines are ignored like those before any
    // section.
    if (!name.empty() && out.find(name) == out.end()) {
      LoggerInfo& info = out[name];
      info.enable.store(true);
      info.key = name;
      info.name = name;
    }
    return true;
  }
  auto entry = out.find(section);
  if (entry == out.end()) return true;
  const LogDataType setting = applySetting(entry->second, lowerCase(pair.first), pair.second);
  if (named != nullptr && setting != LOG_DATA_RECORD) (*named)[section] |= namedBit(setting);
  return true;
}

bool parseConfigFromString(std::string text, std::map<std::string, LoggerInfo>& out, NamedSettings* named) {
  std::string section;
  int lineNumber = 0;
  size_t start = 0;
  if (text.empty()) return true;
  for (;;) {
    const size_t stop = text.find_first_of("\r\n", start);
    const std::string line = text.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
    parseConfigLine(line, ++lineNumber, section, out, named);
    if (stop == std::string::npos) break;
    start = stop + 1;
  }
  return true;
}

}  // namespace marvlog
