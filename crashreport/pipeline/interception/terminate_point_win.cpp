#include "crashreport/pipeline/interception/terminate_point_win.h"

#include <windows.h>

#include <exception>

#include "crashreport/pipeline/interception/exception_in_flight.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/interception/raise_record_win.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

// Only install and uninstall use them, at start-up and shut-down.
std::terminate_handler previousHandler = nullptr;
bool installed = false;

// Hands the exception in flight to the front door, unless the raise
// notification reported it already; a foreign object (not of the runtime's
// classes) goes as an unknown one.
void ReportInFlight() {
  TCaptureInfo capture;
  capture.Address = LastRaise().Address;  // 0 when the program does not wrap its throws
  capture.StackPointer = LastRaise().StackPointer;
  WithExceptionInFlight([&](const rtl::Exception* object) {
    capture.Object = object;
    if (!LastReportedInThread().Matches(object != nullptr ? object->ClassName() : "", capture.Address))
      EnterInstalledHandling(capture);
  });
}

[[noreturn]] void TerminatePoint() {
  try {
    ReportInFlight();
  } catch (...) {
    // The reporter's own failure must not become a second crash.
  }
  // As after an operating system exception: the thread ends, and in the main
  // thread the program with exit code 1.
  if (GetCurrentThreadId() == MainThreadId()) TerminateProcess(GetCurrentProcess(), 1);
  ExitThread(1);
}

}  // namespace

void InstallTerminatePoint() {
  if (installed) return;
  previousHandler = std::set_terminate(TerminatePoint);
  installed = true;
}

void UninstallTerminatePoint() {
  if (!installed) return;
  std::set_terminate(previousHandler);
  previousHandler = nullptr;
  installed = false;
}

}  // namespace tarvex
