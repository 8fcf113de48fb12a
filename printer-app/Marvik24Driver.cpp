#include "printer-app/Marvik24Driver.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "page/PrintOptions.h"
#include "page/Resolutions.h"
#include "printer-app/DriverFormats.h"
#include "printer-app/RasterDocument.h"
#include "printer-app/RasterTakeover.h"
#include "printer-app/TestPage.h"
#include "printer-app/TextAttributes.h"

namespace marvik::app {

// PAPPL keeps at most four resolutions per printer (PAPPL_MAX_RESOLUTION)
// and the head prints five; the two entries share all but one: draft
// (120 x 180) or fine lines at 180 dpi across (180 x 360).
pappl_pr_driver_t kDrivers[] = {
    {"marvik_24pin", "Marvik 24-Pin Dot Matrix", "MFG:Marvik;MDL:24-Pin Dot Matrix;", nullptr},
    {"marvik_24pin_180x360", "Marvik 24-Pin Dot Matrix, 180 x 360 dpi", "MFG:Marvik;MDL:24-Pin Dot Matrix;",
     nullptr}};
const int kDriverCount = static_cast<int>(sizeof kDrivers / sizeof kDrivers[0]);

namespace {

// The media sizes, as PWG names: the cut sheets, the continuous forms users
// buy (self-describing names, width x length as fed: PAPPL hides names that
// begin with "custom_" from its Media page, and the registered
// na_fanfold-us_11x14.875in would turn the wide form round), and any form
// within the carriage as a custom range.
const char* const kMedia[] = {"na_letter_8.5x11in",        "na_legal_8.5x14in",
                              "iso_a4_210x297mm",          "iso_a5_148x210mm",
                              "oe_form-3-2-3_8.5x3.667in", "oe_form-5-1-2_8.5x5.5in",
                              "oe_form-6_8.5x6in",         "na_fanfold-eur_8.5x12in",
                              "oe_tractor-us_9.5x11in",    "oe_wide-fanfold_14.875x11in",
                              "custom_min_3x1in",          "custom_max_14.875x22in"};

// What the Media page shows for the continuous forms.
constexpr const char* kMediaLabels[][2] = {
    {"oe_form-3-2-3_8.5x3.667in", "Continuous form 8.5 x 3 2/3 in"},
    {"oe_form-5-1-2_8.5x5.5in", "Continuous form 8.5 x 5.5 in"},
    {"oe_form-6_8.5x6in", "Continuous form 8.5 x 6 in"},
    {"na_fanfold-eur_8.5x12in", "Continuous form 8.5 x 12 in (European fanfold)"},
    {"oe_tractor-us_9.5x11in", "Continuous form 9.5 x 11 in (US, tractor strips)"},
    {"oe_wide-fanfold_14.875x11in", "Continuous form 14 7/8 x 11 in (wide carriage)"}};

// The tractor lets the head reach a quarter inch of each side; PAPPL keeps
// one value for top and bottom, so both get the half inch the bottom needs.
constexpr int kSideMargin = 635;  // hundredths of a millimetre
constexpr int kTopBottomMargin = 1270;

// Resolutions of each entry of kDrivers. PAPPL gives a job without
// printer-resolution the entry of its print-quality: draft the first, normal
// the third, high the last; so 180 x 180, the default, stands third.
constexpr page::Resolution kDriverResolutions[][PAPPL_MAX_RESOLUTION] = {
    {page::kDraftResolution, page::kWideResolution, page::kDefaultResolution, page::kFineResolution},
    {page::kTallResolution, page::kWideResolution, page::kDefaultResolution, page::kFineResolution}};
static_assert(sizeof kDriverResolutions / sizeof kDriverResolutions[0] ==
                  sizeof kDrivers / sizeof kDrivers[0],
              "one resolution set per driver");

// The vendor options' texts in the web interface and for clients that
// localise them, from the options' one vocabulary.
std::string VendorStrings() {
  std::string text;
  const auto line = [&text](const std::string& key, const char* label) {
    text += "\"" + key + "\" = \"" + label + "\";\n";
  };
  for (const auto& media : kMediaLabels) line(std::string("media.") + media[0], media[1]);
  for (const page::PrintOption& option : page::kPrintOptions) {
    line(option.ippName, option.label);
    for (std::size_t i = 0; i < option.count; ++i) {
      line(std::string(option.ippName) + "." + option.choices[i].ippKeyword, option.choices[i].label);
    }
  }
  return text + TextStrings();
}

struct OpenFile {
  int fd;
  ~OpenFile() {
    if (fd >= 0) close(fd);
  }
};

// The raster callbacks see only the placeholder page of a PWG or Apple
// raster job, which the page library prints whole when the job starts
// (RasterTakeover.h); JPEG and PNG jobs never reach them (ImageDocument.h).
// How the job went is its data, for the end-job callback.
char g_jobSucceeded, g_jobFailed;

bool StartJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t* device) {
  bool ok = true;
  if (!TakeOverRasterJob(job, device, ok)) {
    ReportJobError(job, "The document was not read by the page library; it is not printed");
    return false;
  }
  papplJobSetData(job, ok ? &g_jobSucceeded : &g_jobFailed);
  return true;
}

bool StartPage(pappl_job_t*, pappl_pr_options_t*, pappl_device_t*, unsigned) {
  return true;
}

bool WriteLine(pappl_job_t*, pappl_pr_options_t*, pappl_device_t*, unsigned, const unsigned char*) {
  return true;
}

bool EndPage(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned) {
  papplJobSetImpressionsCompleted(job, -1);  // PAPPL counts the placeholder as printed
  return true;
}

bool EndJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  const bool ok = papplJobGetData(job) == &g_jobSucceeded;
  papplJobSetData(job, nullptr);
  return ok;
}

// Printer-ready ESC/P data (the printer's own language) goes to the device
// as it is, as a raw queue of CUPS would send it.
bool PrintRaw(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t* device) {
  const OpenFile file{open(papplJobGetFilename(job), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) {
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Unable to open the print file: %s", std::strerror(errno));
    return false;
  }
  papplJobSetImpressions(job, 1);
  unsigned char buffer[65536];
  ssize_t bytes;
  while ((bytes = read(file.fd, buffer, sizeof buffer)) > 0) {
    if (papplDeviceWrite(device, buffer, static_cast<size_t>(bytes)) != bytes) {
      papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Could not send the print file to the printer");
      return false;
    }
  }
  if (bytes < 0) {
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Unable to read the print file: %s", std::strerror(errno));
    return false;
  }
  papplDeviceFlush(device);
  papplJobSetImpressionsCompleted(job, 1);
  return true;
}

// Impact printers ring their bell on BEL: the one way to find one in a room.
void Identify(pappl_printer_t* printer, pappl_identify_actions_t, const char*) {
  pappl_device_t* device = papplPrinterOpenDevice(printer);
  if (device == nullptr) return;
  papplDevicePuts(device, "\a");
  papplDeviceFlush(device);
  papplPrinterCloseDevice(printer);
}

void SetReadyMedia(pappl_pr_driver_data_t* data) {
  pappl_media_col_t& media = data->media_ready[0];
  const pwg_media_t* pwg = pwgMediaForPWG(kMedia[0]);
  std::snprintf(media.size_name, sizeof media.size_name, "%s", kMedia[0]);
  std::snprintf(media.source, sizeof media.source, "%s", data->source[0]);
  std::snprintf(media.type, sizeof media.type, "%s", data->type[0]);
  media.size_width = pwg != nullptr ? pwg->width : 21590;
  media.size_length = pwg != nullptr ? pwg->length : 27940;
  media.left_margin = media.right_margin = data->left_right;
  media.top_margin = media.bottom_margin = data->bottom_top;
  data->media_default = media;
}

}  // namespace

// The ink ribbon is the one supply; the printer cannot tell how worn it is.
// IPP's level for that is -2 (unknown); PAPPL's Supplies page draws every
// level as a bar, so the name says it. Set once: a status callback would
// set it again on every Get-Printer-Attributes, taking the printer's write
// lock inside a request that reads it.
void SetRibbonSupply(pappl_printer_t* printer) {
  pappl_supply_t ribbon{};
  ribbon.color = PAPPL_SUPPLY_COLOR_BLACK;
  std::snprintf(ribbon.description, sizeof ribbon.description, "Ink ribbon (level unknown)");
  ribbon.is_consumed = true;
  ribbon.level = -2;
  ribbon.type = PAPPL_SUPPLY_TYPE_INK_RIBBON;
  papplPrinterSetSupplies(printer, 1, &ribbon);
}

bool SetUpDriver(pappl_system_t* system, const char* driverName, const char*, const char*,
                 pappl_pr_driver_data_t* data, ipp_t** attrs, void*) {
  int driver = 0;
  while (driver < kDriverCount && std::strcmp(driverName, kDrivers[driver].name) != 0) ++driver;
  if (driver == kDriverCount) return false;
  // Once per process: the printers of a system share its resources. Under
  // PAPPL's own path "/en.strings" the printers would repeat their
  // printer-strings-languages-supported attribute.
  static std::atomic<bool> stringsAdded{false};
  if (!stringsAdded.exchange(true)) {
    static const std::string strings = VendorStrings();
    papplSystemAddStringsData(system, "/marvik/en.strings", "en", strings.c_str());
  }
  data->rstartjob_cb = StartJob;
  data->rstartpage_cb = StartPage;
  data->rwriteline_cb = WriteLine;
  data->rendpage_cb = EndPage;
  data->rendjob_cb = EndJob;
  data->identify_cb = Identify;
  data->testpage_cb = WriteTestPage;
  data->has_supplies = true;
  data->identify_supported = PAPPL_IDENTIFY_ACTIONS_SOUND;
  data->identify_default = PAPPL_IDENTIFY_ACTIONS_SOUND;

  std::snprintf(data->make_and_model, sizeof data->make_and_model, "%s", kDrivers[driver].description);
  data->format = kRawFormat;
  data->printfile_cb = PrintRaw;
  data->kind = PAPPL_KIND_DOCUMENT;
  data->ppm = 1;
  data->orient_default = IPP_ORIENT_PORTRAIT;
  data->quality_default = IPP_QUALITY_NORMAL;
  // Colour pages print as their gray, halftoned (the page library's sRGB
  // pages): a CUPS queue's ColorModel=RGB asks for print-color-mode=color,
  // which PAPPL would refuse were it not offered.
  data->color_supported = PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_MONOCHROME | PAPPL_COLOR_MODE_COLOR;
  data->color_default = PAPPL_COLOR_MODE_MONOCHROME;
  // PWG and Apple raster pages reach the page library as sent (RasterTakeover.h);
  // PAPPL turns JPEG and PNG images into 1-bit black.
  data->raster_types =
      PAPPL_PWG_RASTER_TYPE_BLACK_1 | PAPPL_PWG_RASTER_TYPE_SGRAY_8 | PAPPL_PWG_RASTER_TYPE_SRGB_8;
  data->force_raster_type = PAPPL_PWG_RASTER_TYPE_BLACK_1;
  data->sides_supported = PAPPL_SIDES_ONE_SIDED;
  data->sides_default = PAPPL_SIDES_ONE_SIDED;

  data->num_resolution = PAPPL_MAX_RESOLUTION;
  for (int i = 0; i < PAPPL_MAX_RESOLUTION; ++i) {
    data->x_resolution[i] = static_cast<int>(kDriverResolutions[driver][i].x);
    data->y_resolution[i] = static_cast<int>(kDriverResolutions[driver][i].y);
  }
  data->x_default = static_cast<int>(page::kDefaultResolution.x);
  data->y_default = static_cast<int>(page::kDefaultResolution.y);

  data->num_media = static_cast<int>(sizeof kMedia / sizeof kMedia[0]);
  for (int i = 0; i < data->num_media; ++i) data->media[i] = kMedia[i];
  data->left_right = kSideMargin;
  data->bottom_top = kTopBottomMargin;
  data->num_source = 1;
  data->source[0] = "main";
  data->num_type = 1;
  data->type[0] = "stationery";
  SetReadyMedia(data);

  if (*attrs == nullptr) *attrs = ippNew();
  data->num_vendor = 0;
  for (const page::PrintOption& option : page::kPrintOptions) {
    const char* keywords[page::kMaxChoices];
    for (std::size_t i = 0; i < option.count; ++i) keywords[i] = option.choices[i].ippKeyword;
    const std::string name = option.ippName;
    ippAddStrings(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (name + "-supported").c_str(),
                  static_cast<int>(option.count), nullptr, keywords);
    ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (name + "-default").c_str(), nullptr, keywords[0]);
    data->vendor[data->num_vendor++] = option.ippName;
  }
  AddTextAttributes(data, *attrs);
  // IPP Everywhere attributes PAPPL 1.3 leaves out; these values are true of
  // a one-sided black printer without preferred attributes.
  ippAddBoolean(*attrs, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
  ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-default", nullptr, "auto");
  ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-supported", nullptr, "auto");
  ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "pwg-raster-document-sheet-back", nullptr, "normal");
  return true;
}

const char* AutoAddDriver(const char*, const char*, const char* deviceId, void*) {
  if (deviceId == nullptr) return nullptr;
  cups_option_t* pairs = nullptr;
  const int count = papplDeviceParseID(deviceId, &pairs);
  const char* make = cupsGetOption("MANUFACTURER", count, pairs);
  if (make == nullptr) make = cupsGetOption("MFG", count, pairs);
  const bool ours = make != nullptr && strcasecmp(make, "Marvik") == 0;
  cupsFreeOptions(count, pairs);
  return ours ? kDrivers[0].name : nullptr;
}

}  // namespace marvik::app
