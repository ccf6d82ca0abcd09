#include "crashreport/pipeline/interception/raise_notification_win.h"

#include <windows.h>

#include <atomic>

#include "crashreport/base/options/option_types.h"
#include "crashreport/pipeline/interception/cxx_handler_frames_win.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/interception/raise_record_win.h"
#include "crashreport/pipeline/threads/stack_copy_win.h"
#include "crashreport/pipeline/interception/thread_start_wrapper_win.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

// Set at install (InstallInterceptionPoints) and read in any raising thread;
// an address on its own, publishing nothing, so relaxed.
std::atomic<const void*> threadStartWrapper{nullptr};

TRaiseFacts FactsOf(const TFrontDoorState& state, const rtl::Exception* object) {
  TRaiseFacts facts;
  facts.Class = object != nullptr ? &object->Class() : nullptr;
  facts.ForwardingLibrary = state.ForwardingLibrary;
  facts.StackOverflow = object != nullptr && object->InheritsFrom("EStackOverflow");
  facts.BehaviourFlags = state.ReportSafeCall ? bfReportSafeCallExceptions : 0;
  return facts;
}

}  // namespace

void SetThreadStartWrapper(const void* wrapper) { threadStartWrapper.store(wrapper, std::memory_order_relaxed); }

void RaiseNotification(const void* thrown, const std::type_info* type, const rtl::Exception* object,
                       uint32_t address, uint32_t stackPointer, const std::function<TRaiseDecision()>& decide) {
  TThreadGuardScope notify(tgInRaiseNotify);
  if (!notify.Taken()) return;
  const DWORD lastError = GetLastError();
  try {
    KeepRaise(thrown, type, object, address, stackPointer);
    const TFrontDoorState* state = InterceptionState();
    if (state != nullptr && state->Installed && !IsThreadExcluded(GetCurrentThreadId()) && IsManageable(object)) {
      KeepStackCopy(stackPointer);
      const TRaiseDecision decision = decide();
      if (decision.ReportNow) {
        TCaptureInfo capture;
        capture.Object = object;
        capture.Address = address;
        capture.RaiseKind = decision.RaiseKind;
        capture.StackPointer = stackPointer;
        capture.StackBase = CurrentStackBase();
        capture.StackOverflow = object->InheritsFrom("EStackOverflow");
        EnterInstalledHandling(capture);
      }
    }
  } catch (...) {
    // The reporter's own failure must not change what the program raised.
  }
  SetLastError(lastError);
}

void NotifyThrow(void* thrown, const std::type_info* type, uint32_t returnAddress, uint32_t stackPointer) {
  const rtl::Exception* object = AsRuntimeException(thrown, type);
  RaiseNotification(thrown, type, object, returnAddress - 5, stackPointer, [&] {
    const TRaiseFacts facts = FactsOf(*InterceptionState(), object);
    if (facts.StackOverflow || facts.ForwardingLibrary || type == nullptr) return WillBeCaught(facts, {});
    const void* const wrapper = threadStartWrapper.load(std::memory_order_relaxed);
    return WillBeCaught(facts, HandlerFramesOfThrow(*type, thrown, returnAddress, wrapper));
  });
}

void NotifyLanguageRaise(const rtl::Exception* object, uint32_t address, uint32_t stackPointer) {
  // No C++ handler catches it; in a thread started through the wrapper it ends the thread.
  RaiseNotification(object, nullptr, object, address, stackPointer, [&] {
    THandlerFrame wrapper;
    wrapper.Kind = THandlerFrameKind::CatchAll;
    wrapper.InThreadStartWrapper = true;
    const size_t frames = InThreadStartWrapper() ? 1 : 0;
    return WillBeCaught(FactsOf(*InterceptionState(), object), std::span(&wrapper, frames));
  });
}

}  // namespace tarvex
