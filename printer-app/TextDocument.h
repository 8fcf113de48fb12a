// Plain text jobs: text/plain printed in the printer's resident fonts by the
// text library, form by form, exactly as texttomarvik prints it for a CUPS
// queue, through a MIME filter from text/plain to the drivers' format.
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

constexpr const char* kTextFormat = "text/plain";

// Call once on a new system, before papplSystemRun: text/plain becomes a
// document format of every printer.
void RegisterTextFormat(pappl_system_t* system);

// The MIME typing of a document sent without its format (`submit FILE`, a
// CUPS raw queue): kTextFormat when its first bytes hold only characters and
// the controls a text uses (BS, HT, LF, FF, CR), else null. (PAPPL knows
// PostScript and PDF by their first bytes itself.)
const char* DetectText(const unsigned char* header, size_t size);

// The MIME filter: prints the job's text document on `device`, its copies
// each read anew; false when the job failed (the reason is its
// job-state-message). An empty document completes with a message.
bool PrintTextDocument(pappl_job_t* job, pappl_device_t* device, void* data);

}  // namespace marvik::app
