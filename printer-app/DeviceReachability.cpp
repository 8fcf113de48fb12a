#include "printer-app/DeviceReachability.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace marvik::app {

namespace {

// PAPPL tries to open the device of a waiting job again this often.
constexpr int kRetrySeconds = 5;

std::mutex g_lock;
std::map<std::string, std::string> g_errors;  // why each device URI did not open
// What the jobs of a printer shown offline were told, and which jobs.
struct Telling {
  std::string message;
  std::vector<int> jobs;
};
std::map<int, Telling> g_shownOffline;  // by printer-id

void TellJob(pappl_job_t* job, void* data) {
  auto* telling = static_cast<Telling*>(data);
  papplJobSetMessage(job, "%s", telling->message.c_str());
  telling->jobs.push_back(papplJobGetID(job));
}

// Once the printer is reached, a job still telling why it waited gets PAPPL's
// usual message for its state.
void Untell(pappl_printer_t* printer, const Telling& telling) {
  for (int id : telling.jobs) {
    pappl_job_t* job = papplPrinterFindJob(printer, id);
    if (job == nullptr || papplJobGetMessage(job) == nullptr || telling.message != papplJobGetMessage(job))
      continue;
    switch (papplJobGetState(job)) {
      case IPP_JSTATE_PROCESSING:
        papplJobSetMessage(job, "Job printing.");
        break;
      case IPP_JSTATE_COMPLETED:
        papplJobSetMessage(job, "Job completed.");
        break;
      case IPP_JSTATE_CANCELED:
        papplJobSetMessage(job, "Job canceled.");
        break;
      default:
        break;
    }
  }
}

void Report(pappl_printer_t* printer, void*) {
  const int id = papplPrinterGetID(printer);
  const char* uri = papplPrinterGetDeviceURI(printer);
  std::string error;
  std::optional<Telling> told;  // set while shown offline
  {
    const std::lock_guard<std::mutex> lock(g_lock);
    const auto found = g_errors.find(uri != nullptr ? uri : "");
    if (found != g_errors.end()) error = found->second;
    const auto shown = g_shownOffline.find(id);
    if (shown != g_shownOffline.end()) told = shown->second;
  }
  const bool offline = !error.empty() && papplPrinterGetNumberOfActiveJobs(printer) > 0;
  if (offline == told.has_value()) return;
  if (offline) {
    Telling telling{"Waiting for the printer, which cannot be reached (" + error + "); trying again every " +
                        std::to_string(kRetrySeconds) + " seconds.",
                    {}};
    papplPrinterSetReasons(printer, PAPPL_PREASON_OFFLINE, PAPPL_PREASON_NONE);
    papplPrinterIterateActiveJobs(printer, TellJob, &telling, 1, 0);
    papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN, "%s", telling.message.c_str());
    const std::lock_guard<std::mutex> lock(g_lock);
    g_shownOffline[id] = std::move(telling);
    return;
  }
  papplPrinterSetReasons(printer, PAPPL_PREASON_NONE, PAPPL_PREASON_OFFLINE);
  Untell(printer, *told);
  if (error.empty()) papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "The printer can be reached again.");
  const std::lock_guard<std::mutex> lock(g_lock);
  g_shownOffline.erase(id);
}

}  // namespace

void NoteDeviceOpen(const char* uri, const char* error) {
  if (uri == nullptr) return;
  const std::lock_guard<std::mutex> lock(g_lock);
  if (error != nullptr) {
    g_errors[uri] = error;
  } else {
    g_errors.erase(uri);
  }
}

void ReportDeviceReachability(pappl_system_t* system) {
  papplSystemIteratePrinters(system, Report, nullptr);
}

}  // namespace marvik::app
