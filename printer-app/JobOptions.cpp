#include "printer-app/JobOptions.h"

#include <string>

namespace marvik::app {

namespace {

const char* Keyword(ipp_attribute_t* attr) {
  return attr != nullptr ? ippGetString(attr, 0, nullptr) : nullptr;
}

}  // namespace

VendorChoices::VendorChoices(pappl_job_t* job)
    : job_(job), defaults_(papplPrinterGetDriverAttributes(papplJobGetPrinter(job))) {}

bool VendorChoices::Choose(const char* name, const std::function<bool(const char*)>& choose) const {
  const char* keyword = Keyword(papplJobGetAttribute(job_, name));
  if (keyword != nullptr && choose(keyword)) return true;
  const std::string defaultName = std::string(name) + "-default";
  keyword =
      Keyword(defaults_ ? ippFindAttribute(defaults_.get(), defaultName.c_str(), IPP_TAG_KEYWORD) : nullptr);
  return keyword != nullptr && choose(keyword);
}

double Points(int hundredthsOfMm) {
  return hundredthsOfMm * 72.0 / 2540.0;
}

page::PrintOptions JobPrintOptions(pappl_job_t* job) {
  page::PrintOptions choices;
  if (pappl_pr_options_t* options = papplJobCreatePrintOptions(job, 0, false)) {
    choices.formLength = Points(options->media.size_length);
    papplJobDeletePrintOptions(options);
  }
  const VendorChoices vendor(job);
  for (const page::PrintOption& option : page::kPrintOptions) {
    vendor.Choose(option.ippName, [&](const char* keyword) {
      return page::ChooseOption(choices, option, keyword, page::Vocabulary::kIpp);
    });
  }
  return choices;
}

}  // namespace marvik::app
