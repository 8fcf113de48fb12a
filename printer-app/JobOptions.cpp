#include "printer-app/JobOptions.h"

#include <memory>
#include <string>

namespace marvik::app {

namespace {

struct IppDeleter {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};

const char* Keyword(ipp_attribute_t* attr) {
  return attr != nullptr ? ippGetString(attr, 0, nullptr) : nullptr;
}

}  // namespace

page::PrintOptions JobPrintOptions(pappl_job_t* job) {
  page::PrintOptions choices;
  const std::unique_ptr<ipp_t, IppDeleter> defaults(papplPrinterGetDriverAttributes(papplJobGetPrinter(job)));
  for (const page::PrintOption& option : page::kPrintOptions) {
    // A value the option does not know is ignored, as IPP asks of a job
    // sent without attribute fidelity.
    if (page::ChooseOption(choices, option, Keyword(papplJobGetAttribute(job, option.ippName)),
                           page::Vocabulary::kIpp)) {
      continue;
    }
    const std::string name = std::string(option.ippName) + "-default";
    page::ChooseOption(
        choices, option,
        Keyword(defaults ? ippFindAttribute(defaults.get(), name.c_str(), IPP_TAG_KEYWORD) : nullptr),
        page::Vocabulary::kIpp);
  }
  return choices;
}

}  // namespace marvik::app
