// The text options as the application's IPP attributes: the text library's
// one vocabulary (text/TextOptions.h) under the same keywords as in the PPD,
// as printer attributes (xxx-supported, xxx-default: the web interface's
// Printing Defaults and `modify -o`) and job attributes; and a text job's
// form and margins from its media.
#pragma once

#include <pappl/pappl.h>

#include <string>

#include "text/TextOptions.h"

namespace marvik::app {

// Adds each text option's -supported and -default attributes to `attrs` and
// its name to the driver's vendor attributes.
void AddTextAttributes(pappl_pr_driver_data_t* data, ipp_t* attrs);

// The options' and choices' labels as lines of a strings file.
std::string TextStrings();

// A text job's settings: the form is the job's media (a named size or any
// size of the custom range, as `media` or `media-col`); the margins are
// those its media-col names, else the text defaults; each text option is the
// job's, else the printer's default.
text::TextOptions JobTextOptions(pappl_job_t* job, const pappl_pr_options_t& options);

}  // namespace marvik::app
