#include "filter/JobLog.h"

#include <sys/stat.h>

#include "filter/AdminLogSettings.h"
#include "filter/LogFileReset.h"
#include "logging/marvlog.h"

namespace marvik::filter {

void PrepareJobLog(std::FILE* status) {
  const mode_t previousMask = ::umask(022);
  EmptyLogFile(kJobLogPath);  // a job without its log still prints
  marvlog::ILogManager& log = marvlog::ILogManager::getRef();
  log.setLoggerPath(marvlog::MARVLOG_MAIN_LOGGER_ID, kJobLogDir);
  log.setLoggerName(marvlog::MARVLOG_MAIN_LOGGER_ID, kJobLogName);
  // Before start(): the writer thread announces itself and the loggers it
  // writes for, and a log the administrator turned off must stay empty.
  ApplyAdminLogSettings(status);
  log.start();
  ::umask(previousMask);
}

}  // namespace marvik::filter
