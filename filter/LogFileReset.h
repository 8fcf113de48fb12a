// Empties the filter's log file at start-up so that it only ever holds the
// current job, without following a symbolic link planted in its place.
#pragma once

namespace marvik::filter {

// Creates `path` (mode 0644 under the current mask) or truncates it when it
// is a regular file with one link. A symbolic link, a file with a second hard
// link, a FIFO, device or directory there is left alone. Returns true when
// the file is now empty.
bool EmptyLogFile(const char* path);

}  // namespace marvik::filter
