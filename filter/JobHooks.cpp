#include "filter/JobHooks.h"

void Setup() {}
void EndPage(const cups_page_header2_t* /*header*/) {}
void Shutdown() {}
