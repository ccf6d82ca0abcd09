// The raise notification: run in the raising thread while its stack is
// intact, it records the raise, keeps a stack copy and decides whether the
// exception must be reported now (no handler of the program will catch it,
// or the one that will is the thread start wrapper's).
#pragma once

#include <cstdint>
#include <functional>
#include <typeinfo>

#include "crashreport/pipeline/interception/raise_decision.h"

namespace rtl {
class Exception;
}

namespace tarvex {

// A C++ throw (the wrapped __cxa_throw): `returnAddress` is the throw's
// return address, the raise address is the call before it.
void NotifyThrow(void* thrown, const std::type_info* type, uint32_t returnAddress, uint32_t stackPointer);

// A language exception raised through the system (RaiseException with the
// language code): no C++ handler frame can catch it, so it is reported now
// with rkUncaught unless it is a stack overflow's.
void NotifyLanguageRaise(const rtl::Exception* object, uint32_t address, uint32_t stackPointer);

// The steps shared by both: the InRaiseNotify guard (compare-and-exchange),
// the last error kept, the raise recorded; then, when the reporter is
// installed, the thread not excluded and the object manageable, the stack
// copy and the decision `decide` gives, and the front door (okAutomatic)
// when it says to report now.
void RaiseNotification(const void* thrown, const std::type_info* type, const rtl::Exception* object,
                       uint32_t address, uint32_t stackPointer, const std::function<TRaiseDecision()>& decide);

// The function whose catch-all is the thread start wrapper's (see
// thread_start_wrapper_win.h); set when the wrapper is installed.
void SetThreadStartWrapper(const void* wrapper);

}  // namespace tarvex
