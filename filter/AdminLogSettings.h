// The administrator's settings for the job log: a logging configuration
// text in CUPS's server root, applied before the log manager starts.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace marvik::filter {

// $CUPS_SERVERROOT/rastertomarvik.conf; cupsd passes CUPS_SERVERROOT to
// filters, /etc/cups when it is unset or empty.
constexpr const char* kDefaultServerRoot = "/etc/cups";
constexpr const char* kLogSettingsName = "rastertomarvik.conf";
// A logging configuration is a few lines; a larger file is not one.
constexpr size_t kMaxLogSettingsBytes = 64 * 1024;

// Where the settings file is looked for.
std::string LogSettingsPath();

enum class LogSettingsRead { kAbsent, kRead, kIgnored };

// Reads the file at `path` into *text when it is a regular file owned by
// root, writable by nobody else, with one link and at most
// kMaxLogSettingsBytes. The checks and the read go through one descriptor
// opened without following a symbolic link, so the text is the very file
// that was checked. kIgnored comes with the reason in *reason.
LogSettingsRead ReadLogSettings(const std::string& path, std::string* text, std::string* reason);

// Why a settings text must not be applied, or "" when it may: a log name
// in it holds a "/" (it would leave its directory), or a log path in it is
// not absolute (it would depend on the working directory).
std::string UnsafeLogSettings(const std::string& text);

// Applies the settings file to the job log as a merged logging configuration
// text (what it leaves out keeps the filter's own settings), or, when the
// file is there but not safe, says once on `status` why it was ignored, and
// applies none of it. Without the file nothing happens.
void ApplyAdminLogSettings(std::FILE* status);

}  // namespace marvik::filter
