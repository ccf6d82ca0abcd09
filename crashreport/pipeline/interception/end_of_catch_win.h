// The end of a handler block of the program (the wrapped __cxa_end_catch):
// an exception that the program caught is reported there, with the handled
// flag, when the options ask for it.
#pragma once

namespace tarvex {

// Called at the end of every catch block, before the exception is released.
// Reports the caught exception through the installed front door when
// ReportAtEndOfCatch allows it (the state's ReportCaught set, the thread not
// excluded, not the exception last reported in this thread), from the raise
// record's address and stack. Nothing happens while the exception is being
// rethrown or inside the handling. Never throws.
void ReportEndOfCatch() noexcept;

}  // namespace tarvex
