// The configuration text: INI-like sections, one per logger, of key=value
// lines.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "logging/LoggerInfo.h"

namespace marvlog {

// Removes a leading UTF-8 byte-order mark (when the string is longer than
// two bytes), then leading and trailing blanks, tabs, CR and LF and any
// character of extra.
void trimLogConfig(std::string& text, std::string extra);
// Splits at the first delim; without one, all of text and "".
std::pair<std::string, std::string> splitPairString(const std::string& text, const std::string& delim);
// Parses one line (numbered from 1); may change the current section.
// False for a line whose key part is empty.
bool parseConfigLine(const std::string& line, int lineNumber, std::string& section,
                     std::map<std::string, LoggerInfo>& out);
bool parseConfigFromString(std::string text, std::map<std::string, LoggerInfo>& out);

}  // namespace marvlog
