#include "logging/LoggerInfo.h"

namespace marvlog {

LoggerInfo& LoggerInfo::operator=(const LoggerInfo& other) {
  if (this == &other) return *this;
  constexpr auto relaxed = std::memory_order_relaxed;
  key = other.key;
  name = other.name;
  path = other.path;
  level.store(other.level.load(relaxed), relaxed);
  display.store(other.display.load(relaxed), relaxed);
  outfile.store(other.outfile.load(relaxed), relaxed);
  monthdir = other.monthdir;
  limitsize = other.limitsize;
  enable.store(other.enable.load(relaxed), relaxed);
  fileline.store(other.fileline.load(relaxed), relaxed);
  reserveTime = other.reserveTime;
  fileOpenTime = other.fileOpenTime;
  fileDayStart = other.fileDayStart;
  fileDayEnd = other.fileDayEnd;
  fileIndex = other.fileIndex;
  writtenBytes = other.writtenBytes;
  handle = other.handle;
  history = other.history;
  return *this;
}

}  // namespace marvlog
