// Leak-checker hook for sanitizer builds; ignored otherwise.
//
// libcups 2.4 (Debian 12) loses a 16-byte option array inside
// cupsMarkOptions when a job carries "media=": the allocation's stack stops
// at cupsAddOption, since libcups has no frame pointers. Without this, every
// job of an address-sanitizer build would end with a leak report and exit
// status 23, which CUPS counts as a failed job.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:cupsAddOption\n";
}

// The list of used suppressions would otherwise land on standard error,
// which the scheduler reads as status lines.
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
