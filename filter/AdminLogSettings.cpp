#include "filter/AdminLogSettings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#include "logging/ConfigParser.h"
#include "logging/marvlog.h"

namespace marvik::filter {

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

LogSettingsRead Ignored(std::string* reason, std::string why) {
  *reason = std::move(why);
  return LogSettingsRead::kIgnored;
}

}  // namespace

std::string UnsafeLogSettings(const std::string& text) {
  std::map<std::string, marvlog::LoggerInfo> sections;
  marvlog::NamedSettings named;
  // The logging library reads the text up to its first NUL, and so does this.
  marvlog::parseConfigFromString(text.c_str(), sections, &named);
  for (const auto& [key, section] : sections) {
    // A section that names no file name takes its own as one (a new logger).
    if (section.name.find('/') != std::string::npos) return "a log name in it holds a /";
    const bool namesPath = (named[key] & marvlog::namedBit(marvlog::LOG_DATA_PATH)) != 0;
    if (namesPath && section.path[0] != '/') return "a log path in it is not absolute";
  }
  return "";
}

std::string LogSettingsPath() {
  const char* root = std::getenv("CUPS_SERVERROOT");
  std::string path = root != nullptr && root[0] != '\0' ? root : kDefaultServerRoot;
  return path + "/" + kLogSettingsName;
}

LogSettingsRead ReadLogSettings(const std::string& path, std::string* text, std::string* reason) {
  // O_NONBLOCK: a FIFO planted there must not hold the job up.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return LogSettingsRead::kAbsent;
    if (errno == ELOOP) return Ignored(reason, "it is a symbolic link");
    return Ignored(reason, std::string("it cannot be opened: ") + std::strerror(errno));
  }
  struct stat info;
  if (::fstat(file.get(), &info) != 0) {
    return Ignored(reason, std::string("it cannot be examined: ") + std::strerror(errno));
  }
  if (!S_ISREG(info.st_mode)) return Ignored(reason, "it is not a regular file");
  if (info.st_uid != 0) return Ignored(reason, "it is not owned by root");
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) return Ignored(reason, "it is writable by group or others");
  // A second name could be one that someone else may replace.
  if (info.st_nlink != 1) return Ignored(reason, "it has more than one hard link");
  if (info.st_size < 0 || static_cast<size_t>(info.st_size) > kMaxLogSettingsBytes) {
    return Ignored(reason, "it is larger than " + std::to_string(kMaxLogSettingsBytes) + " bytes");
  }
  text->clear();
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return Ignored(reason, std::string("it cannot be read: ") + std::strerror(errno));
    }
    text->append(chunk, static_cast<size_t>(got));
    // A file that grew since it was examined is read no further than the limit.
    if (text->size() > kMaxLogSettingsBytes) {
      return Ignored(reason, "it is larger than " + std::to_string(kMaxLogSettingsBytes) + " bytes");
    }
  }
  return LogSettingsRead::kRead;
}

void ApplyAdminLogSettings(std::FILE* status) {
  const std::string path = LogSettingsPath();
  std::string text;
  std::string reason;
  LogSettingsRead read = ReadLogSettings(path, &text, &reason);
  if (read == LogSettingsRead::kAbsent) return;
  if (read == LogSettingsRead::kRead) {
    reason = UnsafeLogSettings(text);
    if (!reason.empty()) read = LogSettingsRead::kIgnored;
  }
  if (read == LogSettingsRead::kIgnored) {
    std::fprintf(status, "DEBUG: Ignoring the log settings in %s: %s\n", path.c_str(), reason.c_str());
    return;
  }
  // The text, not the path: the logging library would open the path again,
  // and what it found there need not be the file checked here. Merged: what
  // the file leaves out keeps the filter's own settings.
  marvlog::ILogManager::getRef().mergeConfigFromString(text.c_str());
  std::fprintf(status, "DEBUG: Applied the log settings in %s\n", path.c_str());
}

}  // namespace marvik::filter
