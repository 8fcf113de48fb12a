#include "filter/PpdPrintOptions.h"

namespace marvik::filter {

page::PrintOptions ReadPrintOptions(ppd_file_t* ppd) {
  page::PrintOptions options;
  if (ppd == nullptr) return options;
  for (const page::PrintOption& option : page::kPrintOptions) {
    const ppd_choice_t* marked = ppdFindMarkedChoice(ppd, option.ppdName);
    if (marked != nullptr) page::ChooseOption(options, option, marked->choice, page::Vocabulary::kPpd);
  }
  return options;
}

}  // namespace marvik::filter
