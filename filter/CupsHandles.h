// Owners of the job's CUPS resources, so every exit path releases them.
#pragma once

#include <cups/cups.h>
#include <cups/ppd.h>
#include <cups/raster.h>

#include <memory>

namespace marvik::filter {

struct PpdCloser {
  void operator()(ppd_file_t* ppd) const { ppdClose(ppd); }
};
using PpdFile = std::unique_ptr<ppd_file_t, PpdCloser>;

// The job's input: standard input, or the file named on the command line.
class JobInput {
 public:
  JobInput() = default;
  ~JobInput();
  JobInput(const JobInput&) = delete;
  JobInput& operator=(const JobInput&) = delete;

  // Opens `path` read-only, or takes descriptor 0 when it is null.
  bool Open(const char* path);
  int fd() const { return fd_; }

 private:
  int fd_ = 0;
};

// The job options from argument 5, parsed once and freed at the end.
class JobOptions {
 public:
  explicit JobOptions(const char* text);
  ~JobOptions();
  JobOptions(const JobOptions&) = delete;
  JobOptions& operator=(const JobOptions&) = delete;

  // Marks the PPD's defaults, then these options, in the PPD.
  void Mark(ppd_file_t* ppd) const;
  // The value of option `name`, or null.
  const char* Get(const char* name) const { return cupsGetOption(name, count_, options_); }

 private:
  int count_ = 0;
  cups_option_t* options_ = nullptr;
};

}  // namespace marvik::filter
