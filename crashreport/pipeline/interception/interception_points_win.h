// Every point at which the crash reporter meets an exception, installed in
// one go and undone in reverse order:
//   1. the unhandled-exception filter and the terminate handler (nothing
//      catches the exception), with the raise-time capture of operating
//      system exceptions (a vectored handler) and the raise notification of
//      C++ throws and the end of catch blocks (wrapped __cxa_throw and
//      __cxa_end_catch: a program gets them by linking tarvexlog_program);
//   2. the GUI framework's application exception handler and show-exception routine;
//   3. the import tables' RaiseException, RtlUnwind, WriteFile, CreateThread,
//      ResumeThread and ExitThread of kernel32.dll (every thread body then
//      runs inside the thread start wrapper).
// Every point hands its exception to the front door with `processor`; the
// state is copied (install again to change it). Installing twice is harmless.
#pragma once

namespace tarvex {

class TExceptionProcessor;
struct TFrontDoorState;

void InstallInterceptionPoints(TExceptionProcessor& processor, const TFrontDoorState& state);
void UninstallInterceptionPoints();

}  // namespace tarvex
