// A bounded, non-owning text writer over a caller's byte range. It never
// writes at or past the end of the range and never writes a terminating NUL;
// every shortage of room silently shortens the output.
#pragma once

#include <cstddef>
#include <string>

namespace marvlog {

class LogStream {
 public:
  LogStream(char* buffer, int length);

  int getCurrentLen() const { return static_cast<int>(cur - begin); }

  LogStream& writeChar(char c);
  LogStream& writeString(const char* s, size_t n);
  LogStream& writeString(const char* s);
  LogStream& writeLongLong(long long value, int width, int base);
  // Writes nothing when 64 bytes or fewer remain: a number is dropped whole
  // rather than cut. base 2..16, width 0..64 (digits only).
  LogStream& writeULongLong(unsigned long long value, int width, int base);

  LogStream& operator<<(const char* s) { return writeString(s); }
  LogStream& operator<<(const std::string& s) { return writeString(s.data(), s.size()); }
  LogStream& operator<<(bool b) { return writeString(b ? "true" : "false"); }
  LogStream& operator<<(char c) { return writeChar(c); }
  LogStream& operator<<(int v) { return writeLongLong(v, 0, 10); }
  LogStream& operator<<(long v) { return writeLongLong(v, 0, 10); }
  LogStream& operator<<(long long v) { return writeLongLong(v, 0, 10); }
  LogStream& operator<<(unsigned int v) { return writeULongLong(v, 0, 10); }
  LogStream& operator<<(unsigned long v) { return writeULongLong(v, 0, 10); }
  LogStream& operator<<(unsigned long long v) { return writeULongLong(v, 0, 10); }

  char* begin;
  char* end;
  char* cur;
};

}  // namespace marvlog
