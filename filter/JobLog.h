// The job's diagnostic log, /tmp/marvikdotmatrix.log.
#pragma once

#include <cstdio>

namespace marvik::filter {

constexpr const char* kJobLogDir = "/tmp";
constexpr const char* kJobLogName = "marvikdotmatrix";
constexpr const char* kJobLogPath = "/tmp/marvikdotmatrix.log";

// Empties the log file (mode 0644), points the main logger at it, applies
// the administrator's log settings (their DEBUG: line goes to `status`) and
// starts the log manager. Leaves the file-creation mask as it found it.
void PrepareJobLog(std::FILE* status);

}  // namespace marvik::filter
