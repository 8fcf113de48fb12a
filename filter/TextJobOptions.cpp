#include "filter/TextJobOptions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace marvik::filter {

namespace {

// CUPS's option `name` as a number in [low, high], or nothing (false).
bool Number(const JobOptions& job, const char* name, double low, double high, double& value,
            std::FILE* status) {
  const char* text = job.Get(name);
  if (text == nullptr) return false;
  char* end = nullptr;
  const double number = std::strtod(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(number) || number < low || number > high) {
    std::fprintf(status, "WARNING: Ignoring %s=%s: not a number from %g to %g\n", name, text, low, high);
    return false;
  }
  value = number;
  return true;
}

}  // namespace

text::TextOptions ReadTextOptions(ppd_file_t* ppd, const JobOptions& job, std::FILE* status) {
  text::TextOptions options;
  if (const ppd_size_t* size = ppdPageSize(ppd, nullptr)) {
    options.formWidth = size->width;
    options.formLength = size->length;
    options.left = size->left;
    options.right = size->width - size->right;
    options.bottom = size->bottom;
    options.top = size->length - size->top;
  }
  for (const text::TextOption& option : text::kTextOptions) {
    if (const ppd_choice_t* marked = ppdFindMarkedChoice(ppd, option.ppdName)) {
      text::ChooseTextOption(options, option, marked->choice);
    }
    // The same keywords under the IPP attribute's name.
    const char* keyword = job.Get(option.ippName);
    if (keyword != nullptr && !text::ChooseTextOption(options, option, keyword)) {
      std::fprintf(status, "WARNING: Ignoring %s=%s: not one of its choices\n", option.ippName, keyword);
    }
  }
  double value = 0;
  // A margin of more than the form leaves no room, which the job reports.
  constexpr double kMaxPoints = 1e6;
  if (Number(job, "cpi", 1, 100, value, status)) options.pitch = text::NearestPitch(value);
  if (Number(job, "lpi", 1, 100, value, status)) options.spacing = text::NearestSpacing(value);
  if (Number(job, "page-left", 0, kMaxPoints, value, status)) options.left = value;
  if (Number(job, "page-right", 0, kMaxPoints, value, status)) options.right = value;
  if (Number(job, "page-top", 0, kMaxPoints, value, status)) options.top = value;
  if (Number(job, "page-bottom", 0, kMaxPoints, value, status)) options.bottom = value;
  if (const char* wrap = job.Get("wrap")) {
    const bool on = !std::strcmp(wrap, "true") || !std::strcmp(wrap, "yes") || !std::strcmp(wrap, "on");
    const bool off = !std::strcmp(wrap, "false") || !std::strcmp(wrap, "no") || !std::strcmp(wrap, "off");
    if (on || off) {
      options.wrap = on;
    } else {
      std::fprintf(status, "WARNING: Ignoring wrap=%s: not true or false\n", wrap);
    }
  }
  return options;
}

}  // namespace marvik::filter
