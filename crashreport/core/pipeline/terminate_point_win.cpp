#include "crashreport/core/pipeline/terminate_point_win.h"

#include <windows.h>

#include <exception>

#include "crashreport/core/pipeline/front_door_win.h"
#include "crashreport/core/pipeline/raise_record_win.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

TExceptionProcessor* terminateProcessor = nullptr;
TFrontDoorState terminateState;
std::terminate_handler previousHandler = nullptr;

// Hands the exception in flight to the front door; a foreign object (not of
// the runtime's classes) goes as an unknown one.
void ReportInFlight() {
  const std::exception_ptr inFlight = std::current_exception();
  if (!inFlight || terminateProcessor == nullptr) return;
  TCaptureInfo capture;
  capture.Address = LastRaise().Address;  // 0 when the program does not wrap its throws
  // The raising function's stack: the call stack starts there, not in the unwinder's frames below.
  capture.StackPointer = LastRaise().StackPointer;
  try {
    std::rethrow_exception(inFlight);
  } catch (const rtl::Exception& e) {
    capture.Object = &e;
    EnterHandling(capture, terminateState, *terminateProcessor);
  } catch (...) {
    EnterHandling(capture, terminateState, *terminateProcessor);
  }
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

void InstallTerminatePoint(TExceptionProcessor& processor, const TFrontDoorState& state) {
  terminateProcessor = &processor;
  terminateState = state;
  previousHandler = std::set_terminate(TerminatePoint);
}

void UninstallTerminatePoint() {
  std::set_terminate(previousHandler);
  previousHandler = nullptr;
  terminateProcessor = nullptr;
}

}  // namespace tarvex
