// A library that exports the exception notify event and faults when asked:
// built twice, with and without crash reporter data.
#include <windows.h>

#include "crashreport/pipeline/handling/exception_info.h"

namespace {

struct NotifyCall {
  DWORD CallingThread = 0;
  uint32_t Address = 0;
  uint32_t ThreadId = 0;
  bool HandleFlag = false;
};
NotifyCall lastCall;

}  // namespace

extern "C" __declspec(dllexport) void TarvexLog_ExceptionNotifyEvent(tarvex::TExceptionInfo& info, bool& handle) {
  lastCall = {GetCurrentThreadId(), info.Address, info.ThreadId, handle};
}

extern "C" __declspec(dllexport) void EventModule_Fault() { *static_cast<volatile int*>(nullptr) = 1; }

// The last notify call: the thread it ran in and what it received; false when there was none.
extern "C" __declspec(dllexport) bool EventModule_LastNotify(DWORD* callingThread, uint32_t* address,
                                                            uint32_t* threadId, bool* handle) {
  *callingThread = lastCall.CallingThread;
  *address = lastCall.Address;
  *threadId = lastCall.ThreadId;
  *handle = lastCall.HandleFlag;
  return lastCall.CallingThread != 0;
}
