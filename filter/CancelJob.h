// Job cancellation: CUPS sends SIGTERM when a job is cancelled; the page in
// hand is finished and the page loop stops.
#pragma once

#include <csignal>

// 0 go on, 1 a SIGTERM arrived. Set only by CancelJob; cleared by
// InstallSignalHandlers before the handler is installed.
extern volatile std::sig_atomic_t Canceled;

// The SIGTERM handler: sets Canceled and nothing else.
extern "C" void CancelJob(int signal);

// Clears Canceled, installs CancelJob for SIGTERM (restarting interrupted
// reads, so the page in hand is still read whole) and ignores SIGPIPE, so a
// vanished reader shows up as a failed write that can be reported.
namespace marvik::filter {
void InstallSignalHandlers();
}  // namespace marvik::filter
