// The vendor options of one job: what the job names, else the default the
// administrator set for the printer (web interface, `modify`, or a client's
// Set-Printer-Attributes), else the option's own default. PAPPL 1.3 hands
// drivers the vendor options a job names and nothing else, so a CUPS queue,
// which never names them, would always print with the built-in defaults.
#pragma once

#include <pappl/pappl.h>

#include <functional>
#include <memory>

#include "page/PrintOptions.h"

namespace marvik::app {

class VendorChoices {
 public:
  explicit VendorChoices(pappl_job_t* job);

  // Hands `choose` the job's keyword for the vendor attribute `name`, and
  // when there is none or `choose` refuses it (a value the option does not
  // know is ignored, as IPP asks of a job sent without attribute fidelity),
  // the printer's `name`-default. False when neither was taken.
  bool Choose(const char* name, const std::function<bool(const char* keyword)>& choose) const;

 private:
  struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
  };
  pappl_job_t* job_;
  std::unique_ptr<ipp_t, IppDeleter> defaults_;
};

// The printer options, and the job's form length from its media.
page::PrintOptions JobPrintOptions(pappl_job_t* job);

// PAPPL's lengths, hundredths of a millimetre, in points.
double Points(int hundredthsOfMm);

}  // namespace marvik::app
