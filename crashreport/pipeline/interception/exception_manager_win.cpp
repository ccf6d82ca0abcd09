#include "crashreport/pipeline/interception/exception_manager_win.h"

#include <windows.h>

#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/interception/raise_record_win.h"
#include "crashreport/base/util/loaded_modules_win.h"

namespace tarvex {

namespace {

using ProgramEntry = bool (*)(const void*, const void*, uint8_t, HMODULE);

// The program's own entry, when this module is a library loaded by it.
ProgramEntry ProgramExceptionManager() {
  const auto entry = reinterpret_cast<ProgramEntry>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "ExceptionManager")));
  return ModuleHandleOf(reinterpret_cast<const void*>(entry)) == ModuleHandleOf(reinterpret_cast<const void*>(&ExceptionManager))
             ? nullptr
             : entry;
}

}  // namespace

bool ExceptionManager(const rtl::Exception* object, uint32_t address, TOutputKind outputKind, uint32_t module) {
  try {
    THandlerLockHold lock;
    const TFrontDoorState* state = InterceptionState();
    if (state != nullptr && state->ForwardingLibrary) {
      if (const ProgramEntry entry = ProgramExceptionManager())
        return entry(object, reinterpret_cast<const void*>(address), outputKind,
                     reinterpret_cast<HMODULE>(uintptr_t(ModuleHandleOf(reinterpret_cast<const void*>(&ExceptionManager)))));
    }
    if (state == nullptr || !state->Installed || IsThreadExcluded(GetCurrentThreadId())) return true;
    const TRaiseRecord& raise = LastRaise();
    if (!IsManageable(object) && !IsManageable(raise.Object)) return true;
    TCaptureInfo capture;
    capture.Object = object;
    capture.Address = address;
    if (object == nullptr) {
      capture.Object = raise.Object;
      capture.Address = raise.Address;
    }
    if (capture.Object == raise.Object) capture.StackPointer = raise.StackPointer;
    capture.OutputKind = outputKind;
    capture.Module = module;
    return EnterInstalledHandling(capture);
  } catch (...) {
    return true;  // the reporter failed: the framework's own handling runs
  }
}

}  // namespace tarvex
