// Operating system exceptions turned into exception objects of the runtime,
// and the unhandled-exception filter that hands them to the front door.
#pragma once

#include <windows.h>

#include <memory>

#include "crashreport/pipeline/handling/exception_message.h"
#include "rtl/exception.h"

namespace tarvex {

// The runtime's exception object for `record`: EAccessViolation (message
// with module and addresses), EStackOverflow, EDivByZero, EIntOverflow, or
// EExternalException with the code.
std::unique_ptr<rtl::Exception> ExceptionObjectFor(const EXCEPTION_RECORD& record);

// The facts of an access violation record; empty for other codes.
std::optional<AccessFault> AccessFaultOf(const EXCEPTION_RECORD& record);

// Installs the process's unhandled-exception filter: every operating system
// exception that no frame handles reaches the installed front door
// (SetInterceptionTarget; rkUncaught, okAutomatic) with its record and
// context as captured when it was raised; then the raising thread ends, and
// in the main thread the program with exit code 1. When the front door asks
// for the ordinary handling, the previous filter decides. Uninstall restores
// the previous filter.
void InstallUnhandledExceptionFilter();
void UninstallUnhandledExceptionFilter();

// Keeps `bytes` of stack for the thread's own handling of a stack overflow
// (the raising thread must still be able to wait for the handler thread).
void ReserveStackForHandling(ULONG bytes = 32 * 1024);

}  // namespace tarvex
