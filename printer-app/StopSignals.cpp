#include "printer-app/StopSignals.h"

#include <csignal>

namespace marvik::app {

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT};

volatile std::sig_atomic_t g_signalled = 0;
struct sigaction g_papplHandlers[2];

struct sigaction& PapplHandler(int signal) {
  return g_papplHandlers[signal == kStopSignals[0] ? 0 : 1];
}

// Notes the signal and hands it on to PAPPL's handler (or its default).
void OnStopSignal(int signal) {
  g_signalled = 1;
  const struct sigaction& pappl = PapplHandler(signal);
  if ((pappl.sa_flags & SA_SIGINFO) != 0) {
    pappl.sa_sigaction(signal, nullptr, nullptr);
  } else if (pappl.sa_handler != SIG_IGN && pappl.sa_handler != SIG_DFL) {
    pappl.sa_handler(signal);
  } else if (pappl.sa_handler == SIG_DFL) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
}

}  // namespace

void WatchStopSignals() {
  static bool watching = false;  // a second wrap would hand signals to itself
  if (watching) return;
  watching = true;
  struct sigaction ours {};
  ours.sa_handler = OnStopSignal;
  sigemptyset(&ours.sa_mask);
  for (int signal : kStopSignals) sigaction(signal, &ours, &PapplHandler(signal));
}

bool ServerStopping(pappl_system_t* system) {
  return g_signalled != 0 || papplSystemIsShutdown(system);
}

}  // namespace marvik::app
