#include "crashreport/pipeline/interception/end_of_catch_win.h"

#include <windows.h>

#include <exception>

#include "crashreport/base/options/option_types.h"
#include "crashreport/pipeline/handling/end_of_catch_rule.h"
#include "crashreport/pipeline/interception/exception_in_flight.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/interception/raise_record_win.h"

namespace tarvex {

namespace {

thread_local bool insideEndOfCatch = false;

void Report(const TFrontDoorState& state, const rtl::Exception* object) {
  const TRaiseRecord& raise = LastRaise();
  const bool raisedHere = object != nullptr && raise.Object == object;
  TEndOfCatchFacts facts;
  facts.Installed = state.Installed;
  facts.BehaviourFlags = bfReportCaughtExceptions;
  facts.ThreadExcluded = IsThreadExcluded(GetCurrentThreadId());
  facts.ClassName = object != nullptr ? object->ClassName() : "";
  facts.Address = raisedHere ? raise.Address : 0;
  if (!IsManageable(object) || !ReportAtEndOfCatch(facts, LastReportedInThread())) return;
  TCaptureInfo capture;
  capture.Object = object;
  capture.Address = facts.Address;
  capture.Handled = true;
  capture.StackPointer = raisedHere ? raise.StackPointer : 0;
  EnterInstalledHandling(capture);
}

}  // namespace

void ReportEndOfCatch() noexcept {
  const TFrontDoorState* state = InterceptionState();
  if (state == nullptr || !state->ReportCaught || insideEndOfCatch) return;
  // A catch block left by a rethrow also ends here, while the exception travels on.
  if (std::uncaught_exceptions() > 0 || ThreadGuardSet(tgInHandler) || ThreadGuardSet(tgInRaiseNotify)) return;
  insideEndOfCatch = true;
  try {
    WithExceptionInFlight([&](const rtl::Exception* object) { Report(*state, object); });
  } catch (...) {
    // The reporter's own failure must not reach the program's handler block.
  }
  insideEndOfCatch = false;
}

}  // namespace tarvex
