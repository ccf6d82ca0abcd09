#include "crashreport/core/pipeline/raise_record_win.h"

#include <windows.h>

#include "crashreport/core/pipeline/handler_state_win.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

thread_local TRaiseRecord lastRaise;

// The thrown object as the runtime's root class, when it is one.
const rtl::Exception* AsRuntimeException(void* thrown, const std::type_info* type) {
  void* adjusted = thrown;
  if (type != nullptr && typeid(rtl::Exception).__do_catch(type, &adjusted, 1))
    return static_cast<const rtl::Exception*>(adjusted);
  return nullptr;
}

}  // namespace

const TRaiseRecord& LastRaise() { return lastRaise; }

void RecordRaise(void* thrown, const std::type_info* type, uint32_t returnAddress, uint32_t stackPointer) {
  TThreadGuardScope notify(tgInRaiseNotify);
  if (!notify.Taken()) return;
  const DWORD lastError = GetLastError();
  lastRaise.Thrown = thrown;
  lastRaise.Object = AsRuntimeException(thrown, type);
  lastRaise.Address = returnAddress - 5;
  lastRaise.StackPointer = stackPointer;
  ++lastRaise.Count;
  SetLastError(lastError);
}

}  // namespace tarvex
