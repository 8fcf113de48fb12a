// Leak-checker hook for sanitizer builds; ignored otherwise.
//
// PAPPL 1.3 and libcups 2.4 (Debian 12) leave memory to the process exit:
// PAPPL some strings of its system (the footer, texts of the main loop), the
// main loop's sub-commands their option array (a stack that stops in
// libcups's cupsAddOption, which has no frame pointers) and the connection
// of `shutdown`. None is ours; without this, every sub-command and every
// server stop of an address-sanitizer build would end with a leak report and
// a failed exit status.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libpappl.so\n"
         "leak:libcups.so\n";
}

extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
