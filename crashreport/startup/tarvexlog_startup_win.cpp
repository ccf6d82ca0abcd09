#include "crashreport/startup/tarvexlog_startup_win.h"

#include <windows.h>

#include <memory>

#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/base/embedded_data/module_container_win.h"
#include "crashreport/report/log/log_storage.h"
#include "crashreport/base/options/log_file_name.h"
#include "crashreport/base/options/options_ex.h"
#include "crashreport/delivery/sending/report_sender_win.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/handling/handling_log_file.h"
#include "crashreport/pipeline/services/handling_parts_win.h"
#include "crashreport/pipeline/services/handling_system_win.h"
#include "crashreport/pipeline/interception/interception_points_win.h"
#include "crashreport/pipeline/interception/os_exceptions_win.h"
#include "crashreport/base/util/loaded_modules_win.h"
#include "crashreport/base/util/macros.h"

namespace tarvex {

namespace {

// What start-up makes and shut-down frees.
struct TRunningReporter {
  std::unique_ptr<TWindowsHandlingSystem> System;
  std::unique_ptr<TLogFileHandlingLog> Log;
  TLoadedModulesOptions Options;
  TScreenshotFile Screenshot;
  TReportSender Sender;
  std::unique_ptr<TTarvexModuleOptionsEx> Current;
  TEventRoute Events;
  std::unique_ptr<TExceptionHandling> Handling;
};

// Start-up and shut-down state: StartTarvexLog and StopTarvexLog write it, the
// program reads it between them; the interception points never touch it.
TTarvexLogStatus status;
TRunningReporter* running = nullptr;

uint32_t RunningModule() { return ModuleHandleOf(reinterpret_cast<const void*>(&RunningModule)); }

// A library whose program carries a crash reporter of its own hands everything to it.
bool ForwardsToProgram() {
  const HMODULE program = GetModuleHandleA(nullptr);
  return RunningModule() != reinterpret_cast<uint32_t>(program) &&
         GetProcAddress(program, "ExceptionManager") != nullptr;
}

void RegisterMainThread() {
  const DWORD self = GetCurrentThreadId();
  SetMainThreadId(self);
  TTarvexThreadsList& threads = ThreadsList();
  threads.BeginWrite();
  if (threads.IndexOfThreadID(self) < 0) {
    HANDLE handle = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &handle, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    TTarvexThreadInfo* entry = threads.AddEntry();
    entry->ThreadID = self;
    entry->Handle = reinterpret_cast<uint32_t>(handle);
  }
  threads.EndWrite();
}

TFrontDoorState FrontDoorState(const TTarvexModuleOptions& options) {
  TFrontDoorState state;
  state.Installed = status.Installed;
  state.OptionsActive = options.Active();
  const uint16_t flags = options.BehaviourFlags();
  state.ReportSafeCall = (flags & bfReportSafeCallExceptions) != 0;
  state.MainThreadPaused = (flags & bfPauseRuntimeThreads) != 0 && (flags & bfKeepMainThreadRunning) == 0;
  state.ReportCaught = (flags & bfReportCaughtExceptions) != 0;
  state.ForwardingLibrary = status.IsForwardingLibrary;
  return state;
}

}  // namespace

bool StartTarvexLog(const TTarvexLogParts& parts) {
  if (running != nullptr) return status.Installed;
  // Whether this module forwards to its program, the start folder (the handling system remembers
  // it for a restart) and whether the module carries crash reporter data.
  status = TTarvexLogStatus{};
  status.IsForwardingLibrary = ForwardsToProgram();
  status.StartingUp = true;
  auto reporter = std::make_unique<TRunningReporter>();
  reporter->System = std::make_unique<TWindowsHandlingSystem>();
  const uint32_t module = RunningModule();
  const std::string moduleFile = ModuleFileName(module);
  status.Installed = ReadModuleContainer(module, moduleFile).has_value();

  // The lists, this module's shared block (flag 0: nothing changed yet), the current options.
  SetRunningModuleHandle(module);
  SharedBlocks& shared = ProcessSharedBlocks();
  const uint8_t unchanged = 0;
  shared.Publish(SharedOptionsName(shared.ProcessId(), module), {&unchanged, 1});
  reporter->Current = std::make_unique<TTarvexModuleOptionsEx>(moduleFile, module, shared,
                                                               TTarvexModuleOptionsEx::Role::Current);
  RegisterMainThread();
  ReserveStackForHandling();  // the main thread can still wait for the handling after a stack overflow
  const MacroValues& macros = parts.Macros != nullptr ? *parts.Macros : ProcessMacroValues();
  reporter->Log = std::make_unique<TLogFileHandlingLog>(ThisLogStorage(), ThisLogFileSystem(), macros);

  THandlingServices services;
  services.Current = reporter->Current.get();
  services.Options = parts.Options != nullptr ? parts.Options : &reporter->Options;
  services.Builder = parts.Builder;
  services.Dialogs = parts.Dialogs;
  services.Log = parts.Log != nullptr ? parts.Log : reporter->Log.get();
  services.Screenshot = parts.Screenshot != nullptr ? parts.Screenshot : &reporter->Screenshot;
  services.ErrorPage = parts.ErrorPage;
  services.Delivery = parts.Delivery != nullptr ? parts.Delivery : &reporter->Sender;
  services.Events = &reporter->Events;
  services.System = parts.System != nullptr ? parts.System : reporter->System.get();
  services.Macros = &macros;
  if (services.Builder == nullptr || services.Dialogs == nullptr) status.Installed = false;
  reporter->Handling = std::make_unique<TExceptionHandling>(services);
  running = reporter.release();

  // The interception points, unless everything goes to the program's crash reporter. Their
  // switches (reporting caught exceptions, safecall, pausing) are the running module's own options.
  if (status.Installed && !status.IsForwardingLibrary) {
    const TTarvexModuleOptions* own = services.Options->OptionsAt(module);
    InstallInterceptionPoints(*running->Handling, FrontDoorState(own != nullptr ? *own : *running->Current));
  }
  // A library asks again whether it forwards: its program may have started its crash reporter meanwhile.
  if (module != reinterpret_cast<uint32_t>(GetModuleHandleA(nullptr))) status.IsForwardingLibrary = ForwardsToProgram();
  status.StartingUp = false;
  return status.Installed;
}

void StopTarvexLog() {
  if (running == nullptr) return;
  status.ShuttingDown = true;
  {
    THandlerLockHold lock;  // a handling in progress ends first
    UninstallInterceptionPoints();
  }
  // A send in the background ends its handling under the lock: it finishes before the handling goes.
  running->Sender.WaitForBackground();
  THandlerLockHold lock;
  delete running;
  running = nullptr;
  SharedBlocks& shared = ProcessSharedBlocks();
  shared.Remove(SharedOptionsName(shared.ProcessId(), RunningModule()));
  status.Installed = false;
  status.ShuttingDown = false;
}

const TTarvexLogStatus& TarvexLogStatus() { return status; }
TEventRoute* TarvexLogEvents() { return running != nullptr ? &running->Events : nullptr; }
TExceptionHandling* TarvexLogHandling() { return running != nullptr ? running->Handling.get() : nullptr; }

}  // namespace tarvex
