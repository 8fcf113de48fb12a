// PWG and Apple raster pages, printed through the page library as the CUPS
// filter prints CUPS raster: every page at its own resolution and size as
// its own header says, checked against the encoder's limits before anything
// is allocated. A job whose data breaks off or holds a page the head cannot
// print ends with the reason as its job-state-message.
#pragma once

#include <pappl/pappl.h>

#include <string>

#include "page/RasterInput.h"

namespace marvik::app {

// Prints the pages of `input` on `device`; false when the job failed.
bool PrintRaster(pappl_job_t* job, pappl_device_t* device, page::RasterInput& input);

// Prints the raster document at `path` `copies` times.
bool PrintRasterFile(pappl_job_t* job, pappl_device_t* device, const char* path, int copies);

// Why `job` failed: an error in the log and the job's state message.
void ReportJobError(pappl_job_t* job, const std::string& message);

// A page::PrinterOutput write function for a pappl_device_t.
ssize_t WriteToDevice(void* device, const void* data, std::size_t size);

}  // namespace marvik::app
