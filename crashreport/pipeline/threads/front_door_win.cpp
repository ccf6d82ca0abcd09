#include "crashreport/pipeline/threads/front_door_win.h"

#include <windows.h>

#include <atomic>

#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/pipeline/threads/exception_thread_win.h"
#include "crashreport/pipeline/handling/focus_capture.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/handling/safecall.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

// Set at start-up, before the interception points are installed, and read by
// any thread; a value on its own (nothing is published with it), so relaxed.
std::atomic<DWORD> mainThread{0};
// The installed target, read by every interception point in any thread.
// SetInterceptionTarget writes targetState and then publishes the processor
// with a release store; readers load the processor with acquire and only then
// read targetState, so they see the state written before it. targetState is
// written at install only, before the interception points exist (start-up
// installs once; uninstalling publishes nullptr and leaves the state alone).
std::atomic<TExceptionProcessor*> targetProcessor{nullptr};
TFrontDoorState targetState;
thread_local TLastReported lastReported;

void CaptureFocusedWindow(TCaptureInfo& capture) {
  const HWND focus = GetFocus();
  if (focus == nullptr) return;
  char className[kFocusTextLimit + 1] = {};
  GetClassNameA(focus, className, sizeof className);
  const LONG style = GetWindowLongA(focus, GWL_STYLE);
  FocusedWindow window{className, {}, IsWindowUnicode(focus) != FALSE, (style & ES_MULTILINE) != 0,
                       (style & ES_PASSWORD) != 0};
  if (FocusTextWanted(window.className, window.unicode, window.multiLine)) {
    char text[kFocusTextLimit + 1] = {};
    GetWindowTextA(focus, text, sizeof text);
    window.text = text;
  }
  const FocusCapture kept = CaptureFocus(window);
  capture.FocusClass = kept.className;
  capture.FocusText = kept.text;
}

class HandlingThreadMark {
 public:
  explicit HandlingThreadMark(DWORD threadId) { SetHandlingThreadId(threadId); }
  ~HandlingThreadMark() { SetHandlingThreadId(0); }
};

}  // namespace

DWORD MainThreadId() { return mainThread.load(std::memory_order_relaxed); }
void SetMainThreadId(DWORD threadId) { mainThread.store(threadId, std::memory_order_relaxed); }

void SetInterceptionTarget(TExceptionProcessor* processor, const TFrontDoorState& state) {
  // Without a processor the state is never read: it is left as it is, so that
  // a thread still reading it (it loaded the processor just before) reads no
  // half-written state.
  if (processor != nullptr) targetState = state;
  targetProcessor.store(processor, std::memory_order_release);
}

const TFrontDoorState* InterceptionState() {
  return targetProcessor.load(std::memory_order_acquire) != nullptr ? &targetState : nullptr;
}

bool EnterInstalledHandling(const TCaptureInfo& capture) {
  TExceptionProcessor* const processor = targetProcessor.load(std::memory_order_acquire);
  return processor == nullptr || EnterHandling(capture, targetState, *processor);
}

const TLastReported& LastReportedInThread() { return lastReported; }

bool IsManageable(const rtl::Exception* object) { return object != nullptr && !object->InheritsFrom("EAbort"); }

bool EnterHandling(TCaptureInfo capture, const TFrontDoorState& state, TExceptionProcessor& processor) {
  if (!state.Installed || (capture.Object != nullptr && capture.Object->InheritsFrom("EAbort"))) return true;
  // A nested exception in a thread that is already handling one is dropped
  // before the lock is taken: in the handler thread, the raising thread holds
  // the lock while it waits for it.
  TThreadGuardScope inHandler(tgInHandler);
  if (!inHandler.Taken()) return false;
  THandlerLockHold lock;
  if (capture.Object != nullptr && IsSafeCallMessage(capture.Object->Message()) && !state.ReportSafeCall)
    return false;
  if (!state.OptionsActive) return true;

  const DWORD self = GetCurrentThreadId();
  if (capture.ThreadId == 0) capture.ThreadId = self;
  if (capture.StackPointer == 0) capture.StackPointer = reinterpret_cast<uint32_t>(__builtin_frame_address(0));
  if (capture.StackBase == 0) capture.StackBase = CurrentThreadStackTop();
  CaptureFocusedWindow(capture);
  if (!capture.Handled) lastReported.Set(capture.Object != nullptr ? capture.Object->ClassName() : "", capture.Address);

  HandlingThreadMark raising(self);
  capture.Inline = state.InCurrentThread;
  if (capture.Inline) return processor.ProcessException(capture);
  const bool mainThread = self == MainThreadId();
  TWaitRules rules;
  rules.PumpMessages = [&] {
    return mainThread && processor.DialogShowing() && !capture.StackOverflow && !state.MainThreadPaused;
  };
  rules.ServeSentMessages = !capture.StackOverflow;
  rules.Abandoned = [&] { processor.Abandoned(); };
  return RunInExceptionThread([&] { return processor.ProcessException(capture); }, rules);
}

}  // namespace tarvex
