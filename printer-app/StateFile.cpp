#include "printer-app/StateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>

#include "printer-app/DeviceRules.h"
#include "printer-app/Marvik24Driver.h"
#include "printer-app/PrinterNumbering.h"

namespace marvik::app {

namespace {

// A state file holds settings and a few hundred job records; anything
// larger is not one of ours.
constexpr std::size_t kMaxStateBytes = 8u << 20;
constexpr std::size_t kMaxLineBytes = 4096;
constexpr long kMaxMediaDimension = 1000000;  // hundredths of a millimetre: 10 m
constexpr long kMaxResolution = 9600;

enum class Kind {
  kText,        // free text: no control characters
  kCount,       // a number from 0
  kId,          // a number from 1
  kKeyword,     // IPP keywords, comma-separated
  kPairs,       // name="value" pairs of text
  kMediaCol,    // pairs naming a media size and its margins
  kResolution,  // NxMdpi or Ndpi
  kImageSize,   // three counts
  kJob,         // a job record's pairs
};

const std::map<std::string_view, Kind> kSystemKeys = {{"DNSSDName", Kind::kText},
                                                      {"Location", Kind::kText},
                                                      {"GeoLocation", Kind::kText},
                                                      {"Organization", Kind::kText},
                                                      {"OrganizationalUnit", Kind::kText},
                                                      {"Contact", Kind::kPairs},
                                                      {"AdminGroup", Kind::kText},
                                                      {"DefaultPrintGroup", Kind::kText},
                                                      {"Password", Kind::kText},
                                                      {"DefaultPrinterID", Kind::kCount},
                                                      {"NextPrinterID", Kind::kId},
                                                      {"MaxImageSize", Kind::kImageSize},
                                                      {"UUID", Kind::kText}};

const std::map<std::string_view, Kind> kPrinterKeys = {{"DNSSDName", Kind::kText},
                                                       {"Location", Kind::kText},
                                                       {"GeoLocation", Kind::kText},
                                                       {"Organization", Kind::kText},
                                                       {"OrganizationalUnit", Kind::kText},
                                                       {"Contact", Kind::kPairs},
                                                       {"PrintGroup", Kind::kText},
                                                       {"MaxActiveJobs", Kind::kCount},
                                                       {"MaxCompletedJobs", Kind::kCount},
                                                       {"MaxPreservedJobs", Kind::kCount},
                                                       {"NextJobId", Kind::kId},
                                                       {"ImpressionsCompleted", Kind::kCount},
                                                       {"Job", Kind::kJob},
                                                       {"media-col-default", Kind::kMediaCol},
                                                       {"printer-resolution-default", Kind::kResolution},
                                                       {"printer-darkness-configured", Kind::kCount},
                                                       {"print-darkness-default", Kind::kCount},
                                                       {"print-speed-default", Kind::kCount}};

bool EndsWith(std::string_view s, std::string_view end) {
  return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

std::optional<long> Number(std::string_view s, long low, long high) {
  if (s.empty() || s.size() > 10) return std::nullopt;
  long value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

bool IsText(std::string_view s) {
  for (unsigned char c : s) {
    if (c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

bool IsKeyword(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ',')) {
      return false;
    }
  }
  return true;
}

// name="value" pairs separated by spaces, as PAPPL writes them; a quote or
// backslash inside a value is escaped with a backslash.
std::optional<std::map<std::string, std::string>> Pairs(std::string_view s) {
  std::map<std::string, std::string> pairs;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] == ' ') {
      ++i;
      continue;
    }
    const std::size_t eq = s.find('=', i);
    if (eq == std::string_view::npos || eq + 1 >= s.size() || s[eq + 1] != '"') return std::nullopt;
    std::string name(s.substr(i, eq - i));
    if (!IsKeyword(name)) return std::nullopt;
    std::string value;
    std::size_t j = eq + 2;
    for (; j < s.size() && s[j] != '"'; ++j) {
      if (s[j] == '\\' && j + 1 < s.size()) ++j;
      value += s[j];
    }
    if (j >= s.size() || !IsText(value) || !pairs.emplace(std::move(name), std::move(value)).second) {
      return std::nullopt;
    }
    i = j + 1;
  }
  return pairs;
}

bool IsMediaCol(std::string_view s) {
  const auto pairs = Pairs(s);
  if (!pairs) return false;
  bool named = false;
  for (const auto& [name, value] : *pairs) {
    if (name == "name") {
      named = pwgMediaForPWG(value.c_str()) != nullptr;
      if (!named) return false;
    } else if (name == "source" || name == "type") {
      if (!IsKeyword(value)) return false;
    } else if (name == "width" || name == "length") {
      if (!Number(value, 1, kMaxMediaDimension)) return false;
    } else if (name == "bottom" || name == "left" || name == "right" || name == "top") {
      if (!Number(value, 0, kMaxMediaDimension)) return false;
    } else {
      return false;
    }
  }
  return named;
}

bool IsResolution(std::string_view s) {
  if (!EndsWith(s, "dpi")) return false;
  s.remove_suffix(3);
  const std::size_t x = s.find('x');
  if (x == std::string_view::npos) return Number(s, 1, kMaxResolution).has_value();
  return Number(s.substr(0, x), 1, kMaxResolution) && Number(s.substr(x + 1), 1, kMaxResolution);
}

bool IsJob(std::string_view s) {
  const auto pairs = Pairs(s);
  if (!pairs || pairs->count("id") == 0) return false;
  for (const auto& [name, value] : *pairs) {
    if (name == "id" && !Number(value, 1, INT_MAX)) return false;
    if (name == "state" && !Number(value, IPP_JSTATE_PENDING, IPP_JSTATE_COMPLETED)) return false;
    if ((name == "created" || name == "processing" || name == "completed" || name == "impressions" ||
         name == "imcompleted") &&
        !Number(value, 0, LONG_MAX / 10)) {
      return false;
    }
  }
  return true;
}

bool ValueFits(Kind kind, std::string_view value) {
  switch (kind) {
    case Kind::kText:
      return IsText(value);
    case Kind::kCount:
      return Number(value, 0, INT_MAX).has_value();
    case Kind::kId:
      return Number(value, 1, INT_MAX).has_value();
    case Kind::kKeyword:
      return IsKeyword(value);
    case Kind::kPairs:
      return Pairs(value).has_value();
    case Kind::kMediaCol:
      return IsMediaCol(value);
    case Kind::kResolution:
      return IsResolution(value);
    case Kind::kImageSize: {
      std::size_t a = value.find(' '), b = value.rfind(' ');
      return a != b && Number(value.substr(0, a), 0, LONG_MAX / 10) &&
             Number(value.substr(a + 1, b - a - 1), 0, INT_MAX) && Number(value.substr(b + 1), 0, INT_MAX);
    }
    case Kind::kJob:
      return IsJob(value);
  }
  return false;
}

// The kind of a printer line's value: the table's, else the driver's saved
// defaults and ready media, which are IPP keywords.
std::optional<Kind> PrinterKind(std::string_view key) {
  const auto found = kPrinterKeys.find(key);
  if (found != kPrinterKeys.end()) return found->second;
  if (key.rfind("media-col-ready", 0) == 0 && Number(key.substr(15), 0, PAPPL_MAX_SOURCE - 1)) {
    return Kind::kMediaCol;
  }
  if (EndsWith(key, "-default") || EndsWith(key, "-configured")) return Kind::kKeyword;
  return std::nullopt;
}

bool IsOurDriver(const std::string& name) {
  for (int i = 0; i < kDriverCount; ++i) {
    if (name == kDrivers[i].name) return true;
  }
  return false;
}

// Why a <Printer ...> header cannot be loaded, or empty when it can (with
// the printer's id in ID).
std::string PrinterHeaderProblem(std::string_view attrs, int* id) {
  const auto pairs = Pairs(attrs);
  if (!pairs) return "a malformed printer";
  const auto get = [&](const char* name) {
    const auto found = pairs->find(name);
    return found == pairs->end() ? std::string() : found->second;
  };
  const auto number = Number(get("id"), 1, INT_MAX);
  if (!number || get("name").empty()) return "a printer without id or name";
  *id = static_cast<int>(*number);
  if (!IsOurDriver(get("driver"))) return "a printer with an unknown driver";
  if (!DeviceUriAllowed(get("uri").c_str())) return "a printer with a refused device";
  return {};
}

std::string KeyForMessage(std::string_view key) {
  std::string shown;
  for (char c : key.substr(0, 40))
    shown += (IsKeyword(std::string_view(&c, 1)) || (c >= 'A' && c <= 'Z')) ? c : '?';
  return shown;
}

// The job record VALUE (well formed) of printer PRINTER_ID as PAPPL is to
// load it: an interrupted job (see InterruptedJob) pending again or aborted.
std::string RestartedJob(std::string_view value, int printerId, std::vector<InterruptedJob>* interrupted) {
  auto pairs = *Pairs(value);
  const auto state =
      pairs.count("state") ? Number(pairs["state"], IPP_JSTATE_PENDING, IPP_JSTATE_COMPLETED) : std::nullopt;
  if (!state || *state == IPP_JSTATE_HELD || *state >= IPP_JSTATE_CANCELED) return std::string(value);
  const bool spooled = pairs.count("filename") != 0;
  interrupted->push_back({printerId, static_cast<int>(*Number(pairs["id"], 1, INT_MAX)), spooled});
  pairs["state"] = std::to_string(spooled ? IPP_JSTATE_PENDING : IPP_JSTATE_ABORTED);
  std::string job;
  for (const auto& [name, text] : pairs) {
    job.append(job.empty() ? "" : " ").append(name).append("=\"");
    for (char c : text) job.append(c == '"' || c == '\\' ? "\\" : "").append(1, c);
    job.append("\"");
  }
  return job;
}

// PAPPL saves its own next printer number, which does not count the printers
// numbered by PrinterNumbering.h: the saved file PATH gets NEXT instead.
bool SaveNextPrinterNumber(const std::string& path, int next) {
  std::string text;
  FILE* file = std::fopen(path.c_str(), "re");
  if (file == nullptr) return false;
  char buffer[16384];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  const std::string key = "\nNextPrinterID ";
  const std::size_t at = text.find(key);
  if (at == std::string::npos) return true;
  const std::size_t end = text.find('\n', at + 1);
  text.replace(at + key.size(), end - at - key.size(), std::to_string(next));
  file = std::fopen(path.c_str(), "we");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

// PAPPL starts a loaded pending job only when its printer is resumed, and
// aborts a job started before the server runs: the printers are resumed by a
// timer, once it runs.
bool StartPendingJobs(pappl_system_t* system, void*) {
  papplSystemIteratePrinters(
      system, [](pappl_printer_t* printer, void*) { papplPrinterResume(printer); }, nullptr);
  return false;
}

void TellInterrupted(pappl_system_t* system, const InterruptedJob& interrupted) {
  pappl_printer_t* printer = papplSystemFindPrinter(system, nullptr, interrupted.printerId, nullptr);
  pappl_job_t* job = printer != nullptr ? papplPrinterFindJob(printer, interrupted.jobId) : nullptr;
  if (job == nullptr) return;
  if (interrupted.printedAgain) {
    papplLogJob(job, PAPPL_LOGLEVEL_WARN,
                "The server stopped before this job was printed whole: printing it again.");
    return;
  }
  papplJobSetMessage(
      job,
      "Aborted: the server stopped before this job was printed whole, and raster pages are not "
      "kept to be printed again.");
  papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s", papplJobGetMessage(job));
}

}  // namespace

CheckedState CheckState(std::string_view text) {
  CheckedState result;
  bool inPrinter = false, droppingPrinter = false;
  int printerId = 0;
  std::size_t lineNo = 0;
  const auto drop = [&](const std::string& why) {
    result.dropped.push_back("line " + std::to_string(lineNo) + ": " + why);
  };
  while (!text.empty()) {
    ++lineNo;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    if (line.size() > kMaxLineBytes) {
      drop("a line longer than " + std::to_string(kMaxLineBytes) + " bytes");
      continue;
    }
    if (line.rfind("<Printer ", 0) == 0 && EndsWith(line, ">")) {
      if (inPrinter) {
        drop("a printer inside a printer");
        continue;
      }
      inPrinter = true;
      const std::string problem = PrinterHeaderProblem(line.substr(9, line.size() - 10), &printerId);
      droppingPrinter = !problem.empty();
      if (droppingPrinter) {
        drop(problem + " (dropped with its settings and jobs)");
        continue;
      }
    } else if (line == "</Printer>") {
      if (!inPrinter) {
        drop("a printer end without a printer");
        continue;
      }
      inPrinter = false;
      if (droppingPrinter) {
        droppingPrinter = false;
        continue;
      }
    } else if (droppingPrinter) {
      continue;
    } else {
      const std::size_t space = line.find(' ');
      const std::string_view key = line.substr(0, space);
      const std::string_view value = space == std::string_view::npos ? "" : line.substr(space + 1);
      std::optional<Kind> kind;
      if (inPrinter) {
        kind = PrinterKind(key);
      } else if (const auto found = kSystemKeys.find(key); found != kSystemKeys.end()) {
        kind = found->second;
      }
      if (!kind) {
        drop("an unknown setting " + KeyForMessage(key));
        continue;
      }
      if (!ValueFits(*kind, value)) {
        drop(KeyForMessage(key) + " has a bad value");
        continue;
      }
      if (*kind == Kind::kJob) {
        result.text.append("Job ").append(RestartedJob(value, printerId, &result.interrupted)).append("\n");
        continue;
      }
    }
    result.text.append(line).append("\n");
  }
  if (inPrinter) {
    drop("a printer without its end");
    if (!droppingPrinter) result.text.append("</Printer>\n");
  }
  return result;
}

StateLoad LoadState(pappl_system_t* system, const std::string& path) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) return StateLoad::kNone;
  const auto refuse = [&](const char* why) {
    std::fprintf(stderr, "marvik-printer-app: the state file %s %s; move it away to start afresh\n",
                 path.c_str(), why);
    if (fd >= 0) close(fd);
    return StateLoad::kRefused;
  };
  if (fd < 0) return refuse(std::strerror(errno));
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return refuse("is not a regular file");
  if (static_cast<unsigned long long>(info.st_size) > kMaxStateBytes) return refuse("is too large");
  std::string text(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return refuse("cannot be read");
    got += static_cast<std::size_t>(n);
  }
  close(fd);

  const CheckedState checked = CheckState(text);
  for (const std::string& why : checked.dropped) {
    papplLog(system, PAPPL_LOGLEVEL_WARN, "State file %s, %s: dropped", path.c_str(), why.c_str());
  }
  const std::string copy = path + ".checked";
  FILE* out = std::fopen(copy.c_str(), "we");
  if (out == nullptr) return refuse("cannot be copied for checking");
  const bool written = std::fwrite(checked.text.data(), 1, checked.text.size(), out) == checked.text.size();
  if (std::fclose(out) != 0 || !written) {
    unlink(copy.c_str());
    return refuse("cannot be copied for checking");
  }
  const bool loaded = papplSystemLoadState(system, copy.c_str());
  unlink(copy.c_str());
  if (!loaded) return refuse("could not be loaded");
  for (const InterruptedJob& interrupted : checked.interrupted) TellInterrupted(system, interrupted);
  if (!checked.interrupted.empty())
    papplSystemAddTimerCallback(system, std::time(nullptr), 0, StartPendingJobs, nullptr);
  return StateLoad::kLoaded;
}

bool SaveState(pappl_system_t* system, const std::string& path) {
  const std::string fresh = path + ".new";
  bool saved =
      papplSystemSaveState(system, fresh.c_str()) && SaveNextPrinterNumber(fresh, NextPrinterNumber(system));
  if (saved) {
    const int fd = open(fresh.c_str(), O_RDONLY | O_CLOEXEC);
    saved = fd >= 0 && fchmod(fd, S_IRUSR | S_IWUSR) == 0 && fsync(fd) == 0;
    if (fd >= 0) close(fd);
  }
  if (saved) saved = rename(fresh.c_str(), path.c_str()) == 0;
  if (!saved) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to save the state to %s: %s", path.c_str(),
             std::strerror(errno));
    unlink(fresh.c_str());
    return false;
  }
  // The rename itself is durable once the directory is.
  const std::size_t slash = path.rfind('/');
  const int dir = open(slash == std::string::npos ? "." : path.substr(0, slash).c_str(),
                       O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

}  // namespace marvik::app
