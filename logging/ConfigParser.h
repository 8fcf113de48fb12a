// The configuration text: INI-like sections, one per logger, of key=value
// lines.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "logging/LoggerInfo.h"
#include "logging/marvlog.h"

namespace marvlog {

// Removes a leading UTF-8 byte-order mark (when the string is longer than
// two bytes), then leading and trailing blanks, tabs, CR and LF and any
// character of extra.
void trimLogConfig(std::string& text, std::string extra);
// Splits at the first delim; without one, all of text and "".
std::pair<std::string, std::string> splitPairString(const std::string& text, const std::string& delim);

// The settings each section names, one bit per LogDataType (namedBit). A
// key with a value the parser cannot read (a level word it does not know)
// names nothing; a section that names nothing has no entry.
using NamedSettings = std::map<std::string, uint32_t>;
constexpr uint32_t namedBit(LogDataType setting) {
  return 1u << setting;
}

// Parses one line (numbered from 1); may change the current section.
// False for a line whose key part is empty. With `named`, records which
// setting the line gave a value.
bool parseConfigLine(const std::string& line, int lineNumber, std::string& section,
                     std::map<std::string, LoggerInfo>& out, NamedSettings* named = nullptr);
bool parseConfigFromString(std::string text, std::map<std::string, LoggerInfo>& out,
                           NamedSettings* named = nullptr);

}  // namespace marvlog
