#include "crashreport/pipeline/threads/exception_thread_win.h"

#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/handling/message_pump_rules.h"

namespace tarvex {

namespace {

// How often the waiting thread looks again whether it should pump messages
// (a dialog may have come up) when nothing woke it.
constexpr DWORD kRulesCheckMs = 10;

struct ThreadJob {
  const std::function<bool()>* handling;
  bool result = false;
  bool finished = false;  // false when a fault ended the thread inside the handling
};

DWORD WINAPI ExceptionThreadBody(void* parameter) {
  ThreadJob& job = *static_cast<ThreadJob*>(parameter);
  TThreadGuardScope inHandler(tgInHandler);
  try {
    job.result = (*job.handling)();
  } catch (...) {
    job.result = false;  // the handling reports its own failures; nothing escapes the thread
  }
  job.finished = true;
  return 0;
}

}  // namespace

bool PumpWaitingMessages() {
  try {
    MSG message;
    for (int i = 0; i < kPumpBatch && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
      switch (PumpActionFor(message.message)) {
        case TPumpAction::Drop: break;
        case TPumpAction::BeepAndDrop: MessageBeep(MB_OK); break;
        case TPumpAction::Dispatch:
          TranslateMessage(&message);
          DispatchMessageA(&message);
          break;
      }
    }
    return true;
  } catch (...) {
    return false;
  }
}

bool ServeSentMessages() {
  try {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    return true;
  } catch (...) {
    return false;
  }
}

bool RunInExceptionThread(const std::function<bool()>& handling, const TWaitRules& rules) {
  ThreadJob job{&handling};
  DWORD threadId = 0;
  const HANDLE thread = CreateThread(nullptr, kExceptionThreadStack, ExceptionThreadBody, &job,
                                     CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, &threadId);
  if (thread == nullptr) return handling();
  ExcludeThread(threadId);
  SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
  ResumeThread(thread);
  bool pumping = true;  // until a dispatched message raises
  const HANDLE wakers[] = {thread, EventCallSignal()};
  for (;;) {
    // Wakes at once for the thread's end, an event call or a message it
    // answers now; the timeout looks again whether the pump rules changed.
    const bool pumpNow = pumping && rules.PumpMessages && rules.PumpMessages();
    const DWORD messages = pumpNow ? QS_ALLINPUT : pumping && rules.ServeSentMessages ? QS_SENDMESSAGE : 0;
    const DWORD waited = MsgWaitForMultipleObjectsEx(2, wakers, kRulesCheckMs, messages, MWMO_INPUTAVAILABLE);
    if (waited == WAIT_OBJECT_0) break;
    if (waited == WAIT_FAILED) {
      TerminateThread(thread, 1);
      job.result = false;
      break;
    }
    RunPendingEventCall();
    if (pumpNow)
      pumping = PumpWaitingMessages();
    else if (messages != 0)
      pumping = ServeSentMessages();
  }
  RunPendingEventCall();
  CloseHandle(thread);
  IncludeThread(threadId);
  if (!job.finished && rules.Abandoned) rules.Abandoned();
  return job.result;
}

}  // namespace tarvex
