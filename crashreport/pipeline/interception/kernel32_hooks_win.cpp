#include "crashreport/pipeline/interception/kernel32_hooks_win.h"

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <mutex>

#include "crashreport/callstack/hooks/import_hooks.h"
#include "crashreport/pipeline/interception/language_exception.h"
#include "crashreport/pipeline/interception/raise_notification_win.h"
#include "crashreport/pipeline/threads/stack_copy_win.h"
#include "crashreport/pipeline/threads/thread_registry_win.h"
#include "crashreport/pipeline/interception/thread_start_wrapper_win.h"

namespace tarvex {

namespace {

constexpr char kKernel32[] = "kernel32.dll";
constexpr DWORD kUnwindingFlag = 2;
constexpr DWORD kFirstUnwoundCode = 0xC0000005, kLastUnwoundCode = 0xC000013A;

using RaiseExceptionRoutine = void(WINAPI*)(DWORD, DWORD, DWORD, const ULONG_PTR*);
using RtlUnwindRoutine = void(WINAPI*)(void*, void*, EXCEPTION_RECORD*, void*);
using WriteFileRoutine = BOOL(WINAPI*)(HANDLE, const void*, DWORD, DWORD*, OVERLAPPED*);
using CreateThreadRoutine = HANDLE(WINAPI*)(SECURITY_ATTRIBUTES*, SIZE_T, LPTHREAD_START_ROUTINE, void*, DWORD,
                                            DWORD*);
using ResumeThreadRoutine = DWORD(WINAPI*)(HANDLE);
using ExitThreadRoutine = void(WINAPI*)(DWORD);

// The kernel32 routines themselves, resolved once (the hooks call them).
template <typename Routine>
Routine Real(const char* name) {
  return reinterpret_cast<Routine>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(kKernel32), name)));
}

uint32_t StackPointerHere() { return reinterpret_cast<uint32_t>(__builtin_frame_address(0)); }

void WINAPI HookedRaiseException(DWORD code, DWORD flags, DWORD count, const ULONG_PTR* arguments) {
  static const auto real = Real<RaiseExceptionRoutine>("RaiseException");
  if (const auto language = LanguageRaiseOf(code, flags, count, reinterpret_cast<const uintptr_t*>(arguments)))
    NotifyLanguageRaise(language->Object, language->Address, StackPointerHere());
  real(code, flags, count, arguments);
}

void WINAPI HookedRtlUnwind(void* targetFrame, void* targetIp, EXCEPTION_RECORD* record, void* returnValue) {
  static const auto real = Real<RtlUnwindRoutine>("RtlUnwind");
  if (record != nullptr && record->ExceptionCode >= kFirstUnwoundCode && record->ExceptionCode <= kLastUnwoundCode &&
      (record->ExceptionFlags & kUnwindingFlag) != 0)
    KeepStackCopy(StackPointerHere());
  real(targetFrame, targetIp, record, returnValue);
}

// What a CGI program wrote to its standard output, from any thread: guarded by pageLock.
std::mutex pageLock;
std::string lastPage;
// Set at install, before the imports are hooked, and read by the WriteFile
// hook in any thread; a flag on its own (it publishes nothing), so relaxed.
std::atomic<bool> cgiProgram{false};

// A console program started by a web server (REQUEST_METHOD set).
bool IsCgiProgram() {
  const auto* image = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image + dos->e_lfanew);
  return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI &&
         GetEnvironmentVariableA("REQUEST_METHOD", nullptr, 0) > 0;
}

BOOL WINAPI HookedWriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written, OVERLAPPED* overlapped) {
  static const auto real = Real<WriteFileRoutine>("WriteFile");
  if (cgiProgram.load(std::memory_order_relaxed) && buffer != nullptr && file == GetStdHandle(STD_OUTPUT_HANDLE)) {
    const DWORD lastError = GetLastError();
    try {
      std::lock_guard hold(pageLock);
      lastPage.append(static_cast<const char*>(buffer), size);
    } catch (...) {
      // Without memory the page is not kept; the write goes on.
    }
    SetLastError(lastError);
  }
  return real(file, buffer, size, written, overlapped);
}

HANDLE WINAPI HookedCreateThread(SECURITY_ATTRIBUTES* security, SIZE_T stackSize, LPTHREAD_START_ROUTINE routine,
                                 void* parameter, DWORD flags, DWORD* threadId) {
  static const auto real = Real<CreateThreadRoutine>("CreateThread");
  static const auto resume = Real<ResumeThreadRoutine>("ResumeThread");
  auto* start = new (std::nothrow) TThreadStart{routine, parameter};
  if (start == nullptr) return real(security, stackSize, routine, parameter, flags, threadId);
  // Started suspended, so the thread is listed before its body can run (and end).
  DWORD id = 0;
  const HANDLE thread = real(security, stackSize, ThreadStartWrapper, start, flags | CREATE_SUSPENDED, &id);
  if (thread == nullptr) {
    delete start;
    return nullptr;
  }
  RegisterThread(thread, id, reinterpret_cast<void*>(routine), parameter);
  if ((flags & CREATE_SUSPENDED) == 0) resume(thread);
  if (threadId != nullptr) *threadId = id;
  return thread;
}

DWORD WINAPI HookedResumeThread(HANDLE thread) {
  static const auto real = Real<ResumeThreadRoutine>("ResumeThread");
  NoteThreadResumed(thread);
  return real(thread);
}

void WINAPI HookedExitThread(DWORD exitCode) {
  static const auto real = Real<ExitThreadRoutine>("ExitThread");
  UnregisterCurrentThread();
  real(exitCode);
}

struct Replacement {
  const char* routine;
  void* hook;
};
const Replacement kReplacements[] = {
    {"RaiseException", reinterpret_cast<void*>(HookedRaiseException)},
    {"RtlUnwind", reinterpret_cast<void*>(HookedRtlUnwind)},
    {"WriteFile", reinterpret_cast<void*>(HookedWriteFile)},
    {"CreateThread", reinterpret_cast<void*>(HookedCreateThread)},
    {"ResumeThread", reinterpret_cast<void*>(HookedResumeThread)},
    {"ExitThread", reinterpret_cast<void*>(HookedExitThread)},
};

struct Patched {
  HMODULE module;
  void* hook;
};
// Only InstallKernel32Hooks and UninstallKernel32Hooks use it, at start-up
// and shut-down; the hooks never read it.
std::vector<Patched> patched;

std::vector<HMODULE> LoadedModules() {
  std::vector<HMODULE> modules;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return modules;
  MODULEENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
    modules.push_back(entry.hModule);
  CloseHandle(snapshot);
  return modules;
}

}  // namespace

void* Kernel32Replacement(const std::string& routine) {
  for (const Replacement& r : kReplacements)
    if (routine == r.routine) return r.hook;
  return nullptr;
}

bool InstallKernel32Hooks() {
  if (!patched.empty()) return true;
  try {
    cgiProgram.store(IsCgiProgram(), std::memory_order_relaxed);
    const HMODULE kernel32 = GetModuleHandleA(kKernel32);
    for (const HMODULE module : LoadedModules()) {
      if (module == kernel32) continue;
      for (const Replacement& r : kReplacements) {
        void* const routine = reinterpret_cast<void*>(GetProcAddress(kernel32, r.routine));
        if (routine == nullptr) continue;
        const std::string name = std::string(kKernel32) + "." + r.routine;
        if (HookImport(module, kKernel32, routine, false, true, name, r.hook) != nullptr)
          patched.push_back({module, r.hook});
      }
    }
  } catch (...) {
    // A module whose tables cannot be read keeps its imports.
  }
  return !patched.empty();
}

void UninstallKernel32Hooks() {
  for (size_t i = patched.size(); i-- > 0;) UnhookImport(patched[i].module, kKernel32, patched[i].hook);
  patched.clear();
}

std::string LastHtmlPage() {
  std::lock_guard hold(pageLock);
  return lastPage;
}

}  // namespace tarvex
