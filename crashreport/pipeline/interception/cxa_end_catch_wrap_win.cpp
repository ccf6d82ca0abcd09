// Linked with -Wl,--wrap=__cxa_end_catch: the end of every catch block runs
// the end-of-catch report before the caught exception is released.
#include "crashreport/pipeline/interception/end_of_catch_win.h"

extern "C" void __real___cxa_end_catch();

extern "C" void __wrap___cxa_end_catch() {
  tarvex::ReportEndOfCatch();
  __real___cxa_end_catch();
}
