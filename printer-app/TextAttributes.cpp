#include "printer-app/TextAttributes.h"

#include "printer-app/JobOptions.h"

namespace marvik::app {

namespace {

// The margin `name` of the job's own media-col, in points, if it names one.
void JobMargin(ipp_t* mediaCol, const char* name, double& points) {
  ipp_attribute_t* margin = mediaCol != nullptr ? ippFindAttribute(mediaCol, name, IPP_TAG_INTEGER) : nullptr;
  if (margin != nullptr) points = Points(ippGetInteger(margin, 0));
}

}  // namespace

void AddTextAttributes(pappl_pr_driver_data_t* data, ipp_t* attrs) {
  static_assert(sizeof text::kTextOptions / sizeof text::kTextOptions[0] + 2 <= PAPPL_MAX_VENDOR,
                "PAPPL holds the text options beside the printer options");
  for (const text::TextOption& option : text::kTextOptions) {
    if (data->num_vendor == PAPPL_MAX_VENDOR) return;
    const char* keywords[text::kMaxTextChoices];
    for (std::size_t i = 0; i < option.count; ++i) keywords[i] = option.choices[i].keyword;
    const std::string name = option.ippName;
    ippAddStrings(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (name + "-supported").c_str(),
                  static_cast<int>(option.count), nullptr, keywords);
    ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (name + "-default").c_str(), nullptr, keywords[0]);
    data->vendor[data->num_vendor++] = option.ippName;
  }
}

std::string TextStrings() {
  std::string text;
  const auto line = [&text](const std::string& key, const char* label) {
    text += "\"" + key + "\" = \"" + label + "\";\n";
  };
  for (const text::TextOption& option : text::kTextOptions) {
    line(option.ippName, option.label);
    for (std::size_t i = 0; i < option.count; ++i) {
      line(std::string(option.ippName) + "." + option.choices[i].keyword, option.choices[i].label);
    }
  }
  return text;
}

text::TextOptions JobTextOptions(pappl_job_t* job, const pappl_pr_options_t& options) {
  text::TextOptions settings;
  settings.formWidth = Points(options.media.size_width);
  settings.formLength = Points(options.media.size_length);
  ipp_attribute_t* mediaCol = papplJobGetAttribute(job, "media-col");
  ipp_t* col = mediaCol != nullptr ? ippGetCollection(mediaCol, 0) : nullptr;
  JobMargin(col, "media-left-margin", settings.left);
  JobMargin(col, "media-right-margin", settings.right);
  JobMargin(col, "media-top-margin", settings.top);
  JobMargin(col, "media-bottom-margin", settings.bottom);
  const VendorChoices vendor(job);
  for (const text::TextOption& option : text::kTextOptions) {
    vendor.Choose(option.ippName,
                  [&](const char* keyword) { return text::ChooseTextOption(settings, option, keyword); });
  }
  return settings;
}

}  // namespace marvik::app
