#include "crashreport/pipeline/interception/thread_start_wrapper_win.h"

#include "crashreport/pipeline/interception/exception_in_flight.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/interception/os_exceptions_win.h"
#include "crashreport/pipeline/interception/raise_record_win.h"
#include "crashreport/pipeline/threads/stack_copy_win.h"
#include "crashreport/pipeline/threads/thread_registry_win.h"

namespace tarvex {

namespace {

constexpr DWORD kEndedByException = 1;
thread_local bool insideWrapper = false;

// The exception leaving the thread body, unless the raise notification
// reported it already.
void ReportThreadEnd() noexcept {
  try {
    WithExceptionInFlight([](const rtl::Exception* object) {
      const TRaiseRecord& raise = LastRaise();
      if (LastReportedInThread().Matches(object != nullptr ? object->ClassName() : "", raise.Address)) return;
      TCaptureInfo capture;
      capture.Object = object;
      capture.Address = raise.Address;
      capture.RaiseKind = rkThreadWrapper;
      capture.StackPointer = raise.StackPointer;
      capture.StackBase = CurrentStackBase();
      EnterInstalledHandling(capture);
    });
  } catch (...) {
    // The reporter's own failure ends the thread all the same.
  }
}

}  // namespace

bool InThreadStartWrapper() { return insideWrapper; }

DWORD WINAPI ThreadStartWrapper(void* argument) {
  const TThreadStart start = *static_cast<const TThreadStart*>(argument);
  delete static_cast<TThreadStart*>(argument);
  ReserveStackForHandling();
  NoteThreadStarted();
  insideWrapper = true;
  DWORD result = kEndedByException;
  try {
    result = start.Routine(start.Parameter);
  } catch (...) {
    ReportThreadEnd();
  }
  insideWrapper = false;
  UnregisterCurrentThread();
  return result;
}

}  // namespace tarvex
