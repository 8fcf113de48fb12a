// Two faults of PAPPL 1.3's IPP service, mended where PAPPL reads requests
// and builds answers through libcups: this executable defines the libcups
// functions below, and the dynamic linker binds PAPPL's calls to them.
//
// Validate-Job refuses a job attribute value the printer does not support
// even when the client sent ipp-attribute-fidelity false (or none, which
// means false), while Print-Job and Create-Job ignore it, as RFC 8011 asks
// of all three. CUPS's ipp backend validates every job first and cancels it
// on that refusal ("Printer cannot print with supplied options"): `lp -o
// sides=two-sided-long-edge` through a driverless queue never printed. Such
// an answer becomes successful-ok-ignored-or-substituted-attributes, its
// unsupported group naming what is ignored, unless it names a value PAPPL's
// Print-Job refuses as well (one outside the attribute's range or syntax).
//
// Get-Printer-Attributes adds printer-strings-languages-supported to the
// printer's own attributes each time it is asked, instead of to its answer:
// the list grows with every request (memory, and an attribute repeated in
// every answer, which clients reject). Only the first is kept.
#include <cups/cups.h>
#include <dlfcn.h>

#include <cstring>
#include <mutex>
#include <set>

namespace {

// What PAPPL's Print-Job refuses even without fidelity.
constexpr const char* kRefusedAnyway[] = {"copies",         "job-priority",  "orientation-requested",
                                          "print-darkness", "print-quality", "print-scaling"};

constexpr const char* kStringsLanguages = "printer-strings-languages-supported";

std::mutex g_mutex;
// Server connections whose request is a Validate-Job without fidelity.
std::set<http_t*>& Lenient() {
  static auto* connections = new std::set<http_t*>;
  return *connections;
}

template <typename Function>
Function Real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// A Validate-Job request without fidelity. (The union that holds a
// request's operation holds an answer's status, but no answer names a
// printer-uri.)
bool LenientValidation(ipp_t* request) {
  if (ippGetOperation(request) != IPP_OP_VALIDATE_JOB ||
      ippFindAttribute(request, "printer-uri", IPP_TAG_URI) == nullptr) {
    return false;
  }
  ipp_attribute_t* fidelity = ippFindAttribute(request, "ipp-attribute-fidelity", IPP_TAG_BOOLEAN);
  return fidelity == nullptr || !ippGetBoolean(fidelity, 0);
}

// Whether every value the answer refuses is one Print-Job would ignore.
bool AllIgnorable(ipp_t* answer) {
  bool any = false;
  for (ipp_attribute_t* attr = ippFirstAttribute(answer); attr != nullptr; attr = ippNextAttribute(answer)) {
    if (ippGetGroupTag(attr) != IPP_TAG_UNSUPPORTED_GROUP) continue;
    for (const char* name : kRefusedAnyway) {
      if (std::strcmp(ippGetName(attr), name) == 0) return false;
    }
    any = true;
  }
  return any;
}

}  // namespace

extern "C" {

ipp_state_t ippRead(http_t* http, ipp_t* ipp) {
  static const auto real = Real<ipp_state_t (*)(http_t*, ipp_t*)>("ippRead");
  const ipp_state_t state = real(http, ipp);
  if (state == IPP_STATE_DATA) {
    const bool lenient = LenientValidation(ipp);
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (lenient) {
      Lenient().insert(http);
    } else {
      Lenient().erase(http);
    }
  }
  return state;
}

ipp_state_t ippWrite(http_t* http, ipp_t* ipp) {
  static const auto real = Real<ipp_state_t (*)(http_t*, ipp_t*)>("ippWrite");
  bool lenient;
  {
    const std::lock_guard<std::mutex> lock(g_mutex);
    lenient = Lenient().erase(http) > 0;
  }
  // Only the status changes: PAPPL has sent the answer's length already,
  // so its status-message (which names the value) stays as it is.
  if (lenient && ippGetStatusCode(ipp) == IPP_STATUS_ERROR_ATTRIBUTES_OR_VALUES && AllIgnorable(ipp))
    ippSetStatusCode(ipp, IPP_STATUS_OK_IGNORED_OR_SUBSTITUTED);
  return real(http, ipp);
}

ipp_attribute_t* ippAddStrings(ipp_t* ipp, ipp_tag_t group, ipp_tag_t valueTag, const char* name, int count,
                               const char* language, const char* const* values) {
  static const auto real = Real<ipp_attribute_t* (*)(ipp_t*, ipp_tag_t, ipp_tag_t, const char*, int,
                                                     const char*, const char* const*)>("ippAddStrings");
  if (name != nullptr && std::strcmp(name, kStringsLanguages) == 0) {
    if (ipp_attribute_t* kept = ippFindAttribute(ipp, kStringsLanguages, IPP_TAG_ZERO)) return kept;
  }
  return real(ipp, group, valueTag, name, count, language, values);
}

}  // extern "C"
