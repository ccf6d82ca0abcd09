// The crash reporter's exports of the program (names as they stand in its
// export table), through which libraries that carry the reporter forward
// their exceptions and threads to it. Linked into the program as an object
// (tarvexlog_program), so that the exports are there without a reference.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "crashreport/pipeline/interception/exception_manager_win.h"
#include "crashreport/pipeline/interception/language_exception.h"
#include "crashreport/pipeline/interception/os_exceptions_win.h"
#include "crashreport/pipeline/interception/raise_notification_win.h"
#include "crashreport/pipeline/interception/raise_record_win.h"
#include "crashreport/pipeline/interception/raise_time_capture_win.h"
#include "crashreport/pipeline/threads/thread_registry_win.h"

namespace {

// The thread record a library passes (48 bytes, 4-byte fields).
struct TThreadRecord {
  uint32_t ThreadID, Handle, SavedStackThreadID, Priority, ThreadObject, StackTop, SavedExecute,
      FrameworkThreadProc, ThreadProc, Parameter, Reserved[2];
};
static_assert(sizeof(TThreadRecord) == 48);

thread_local std::unique_ptr<rtl::Exception> systemExceptionObject;

}  // namespace

#define TARVEX_EXPORT extern "C" __declspec(dllexport)

// Handles one exception; true when the runtime's ordinary handling should run as well.
TARVEX_EXPORT bool ExceptionManager(const void* object, const void* address, uint8_t outputKind, HMODULE module) {
  return tarvex::ExceptionManager(static_cast<const rtl::Exception*>(object), reinterpret_cast<uint32_t>(address),
                                  static_cast<tarvex::TOutputKind>(outputKind), reinterpret_cast<uint32_t>(module));
}

// The raise notification of a library's RaiseException: language exceptions only.
TARVEX_EXPORT void TarvexLog_CallGeneralRaise(DWORD code, DWORD flags, DWORD argumentCount, void* stackFrame,
                                              const ULONG_PTR* arguments) {
  if (const auto language = tarvex::LanguageRaiseOf(code, flags, argumentCount,
                                                    reinterpret_cast<const uintptr_t*>(arguments)))
    tarvex::NotifyLanguageRaise(language->Object, language->Address, reinterpret_cast<uint32_t>(stackFrame));
}

// An operating system exception as an exception object (kept by the calling
// thread until its next call), with its record and context captured; with
// `notify` the raise is recorded as the thread's last.
TARVEX_EXPORT const void* TarvexLog_CallExceptObject(const EXCEPTION_RECORD* record, const CONTEXT* context,
                                                     bool notify) {
  if (record == nullptr || context == nullptr) return nullptr;
  try {
    tarvex::CaptureAtRaise(*record, *context);
    systemExceptionObject = tarvex::ExceptionObjectFor(*record);
    if (notify)
      tarvex::KeepRaise(systemExceptionObject.get(), nullptr, systemExceptionObject.get(),
                        reinterpret_cast<uint32_t>(record->ExceptionAddress), context->Esp);
    tarvex::NoteSystemRaise();
    return systemExceptionObject.get();
  } catch (...) {
    return nullptr;
  }
}

// Lists a thread that a library started (`resumed`: it already runs).
TARVEX_EXPORT void TarvexLog_CallCreateThread(const TThreadRecord* record, bool resumed) {
  if (record == nullptr) return;
  tarvex::RegisterThread(reinterpret_cast<HANDLE>(uintptr_t(record->Handle)), record->ThreadID,
                         reinterpret_cast<void*>(uintptr_t(record->ThreadProc)),
                         reinterpret_cast<void*>(uintptr_t(record->Parameter)));
  if (resumed) tarvex::NoteThreadResumed(reinterpret_cast<HANDLE>(uintptr_t(record->Handle)));
}

TARVEX_EXPORT void TarvexLog_CallResumeThread(HANDLE thread, const TThreadRecord*) { tarvex::NoteThreadResumed(thread); }

TARVEX_EXPORT void TarvexLog_CallExitThread() { tarvex::UnregisterCurrentThread(); }

// Whether the calling thread's last exception was a language exception.
TARVEX_EXPORT uint8_t TarvexLog_LastLanguageException() { return tarvex::LastRaise().Language ? 1 : 0; }
