// PWG and Apple raster jobs, taken over from PAPPL at the libcups boundary.
//
// PAPPL 1.3 streams these two formats from the client straight into its own
// conversion, which sizes its line buffers by the job's resolution and media
// instead of the page's (a page of another resolution overruns them and
// kills the server), reads on forever behind a header that declares more
// lines than come, and prints a page cut short as complete. No documented
// hook runs before that path: a MIME filter for these formats is never
// consulted and a held job is streamed as well. PAPPL reads the stream
// through libcups, though, so the application defines libcups's raster
// reading functions itself, and the dynamic linker binds PAPPL's calls to
// them (the page library's own readers pass through, known by their read
// function). PAPPL reads the first page header before it starts the job, and
// is shown a placeholder: a blank one-dot page that the driver does not
// print. When the driver's start-job callback gets the job and its device,
// the page library reads the whole stream, each page by its own header;
// PAPPL then finds no page after the placeholder. PAPPL hands the driver
// neither the stream nor the placeholder's header (the start-job callback
// gets a header made from the job), so the one link between the two is the
// thread: PAPPL reads the header and starts the job on the same one.
#pragma once

#include <pappl/pappl.h>

namespace marvik::app {

// Called by the driver's start-job callback: when PAPPL is reading a raster
// stream on this thread, prints it all on `device` and returns true, with
// `ok` false when the job failed (the reason is its job-state-message).
// False for any other job.
bool TakeOverRasterJob(pappl_job_t* job, pappl_device_t* device, bool& ok);

}  // namespace marvik::app
