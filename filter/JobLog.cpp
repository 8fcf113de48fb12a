#include "filter/JobLog.h"

#include <sys/stat.h>

#include "filter/LogFileReset.h"
#include "logging/marvlog.h"

namespace marvik::filter {

void PrepareJobLog() {
  const mode_t previousMask = ::umask(022);
  EmptyLogFile(kJobLogPath);  // a job without its log still prints
  marvlog::ILogManager& log = marvlog::ILogManager::getRef();
  log.setLoggerPath(marvlog::MARVLOG_MAIN_LOGGER_ID, kJobLogDir);
  log.setLoggerName(marvlog::MARVLOG_MAIN_LOGGER_ID, kJobLogName);
  log.start();
  ::umask(previousMask);
}

}  // namespace marvik::filter
