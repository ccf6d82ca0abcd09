#include "crashreport/pipeline/interception/raise_record_win.h"

#include <windows.h>

#include "crashreport/pipeline/threads/handler_state_win.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

thread_local TRaiseRecord lastRaise;

}  // namespace

const rtl::Exception* AsRuntimeException(void* thrown, const std::type_info* type) {
  void* adjusted = thrown;
  if (type != nullptr && typeid(rtl::Exception).__do_catch(type, &adjusted, 1))
    return static_cast<const rtl::Exception*>(adjusted);
  return nullptr;
}

void KeepRaise(const void* thrown, const std::type_info* type, const rtl::Exception* object, uint32_t address,
               uint32_t stackPointer) {
  lastRaise.Thrown = thrown;
  lastRaise.Type = type;
  lastRaise.Object = object;
  lastRaise.Address = address;
  lastRaise.StackPointer = stackPointer;
  ++lastRaise.Count;
  lastRaise.Language = true;
}

void NoteSystemRaise() { lastRaise.Language = false; }

const TRaiseRecord& LastRaise() { return lastRaise; }

void RecordRaise(void* thrown, const std::type_info* type, uint32_t returnAddress, uint32_t stackPointer) {
  TThreadGuardScope notify(tgInRaiseNotify);
  if (!notify.Taken()) return;
  const DWORD lastError = GetLastError();
  KeepRaise(thrown, type, AsRuntimeException(thrown, type), returnAddress - 5, stackPointer);
  SetLastError(lastError);
}

}  // namespace tarvex
