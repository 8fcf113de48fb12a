#include "filter/CancelJob.h"

#include <signal.h>

volatile std::sig_atomic_t Canceled = 0;

extern "C" void CancelJob(int /*signal*/) {
  Canceled = 1;
}

namespace marvik::filter {

void InstallSignalHandlers() {
  Canceled = 0;
  struct sigaction action {};
  action.sa_handler = CancelJob;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace marvik::filter
