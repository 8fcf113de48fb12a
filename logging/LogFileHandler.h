// One log or configuration file, held as a standard I/O stream.
#pragma once

#include <cstdio>
#include <string>

namespace marvlog {

class LogFileHandler {
 public:
  LogFileHandler() = default;
  ~LogFileHandler() { close(); }
  // A copy starts closed: two handlers sharing one stream would close it
  // twice. Loggers are copied only for their settings.
  LogFileHandler(const LogFileHandler&) {}
  LogFileHandler& operator=(const LogFileHandler& other) {
    if (this != &other) close();
    return *this;
  }

  // Opens path with an fopen-style mode ("r", "w" or "a", optionally with
  // "b" and "+") and returns the file's size, or -1. A file opened for
  // writing must be a regular file with a single link, reached without
  // following a symbolic link in its last component: log files have fixed,
  // guessable names.
  long open(const char* path, const char* mode);
  // The same for `name` relative to the directory descriptor `directory`.
  long openAt(int directory, const char* name, const char* mode);
  bool isOpen() const { return file_ != nullptr; }
  // Writes len bytes; a short write closes the file.
  void write(const char* data, size_t len);
  void flush();
  // Syncs the file to disk and drops its cached pages.
  void clean(int offset, int len);
  void close();
  // The rest of the file, at most maxBytes; sets *tooBig when there was more.
  std::string readContent(size_t maxBytes = static_cast<size_t>(-1), bool* tooBig = nullptr);
  static bool removeFile(const std::string& path);

 private:
  FILE* file_ = nullptr;
};

}  // namespace marvlog
