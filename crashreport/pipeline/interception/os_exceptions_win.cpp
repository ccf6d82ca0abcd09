#include "crashreport/pipeline/interception/os_exceptions_win.h"

#include <atomic>

#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/interception/language_exception.h"
#include "crashreport/pipeline/interception/raise_time_capture_win.h"
#include "crashreport/pipeline/interception/thread_start_wrapper_win.h"
#include "crashreport/base/util/file_names.h"
#include "crashreport/base/util/loaded_modules_win.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

// The filter that was there before: stored at install and read by
// UnhandledFilter in whichever thread fails. An address of code that exists
// already, publishing nothing else, so relaxed.
std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> previousFilter{nullptr};
// Only install and uninstall use it, at start-up and shut-down.
bool installed = false;

// Hands one unhandled operating system exception to the front door, from the
// state captured when it was raised when there is one. A language exception
// carries its object; when the raise notification reported it already, it
// is not reported again.
bool ReportUnhandled(EXCEPTION_POINTERS* pointers) {
  const TRaiseTimeCapture* raised = RaiseTimeCaptureOf(*pointers->ExceptionRecord);
  const EXCEPTION_RECORD& record = raised != nullptr ? raised->Record : *pointers->ExceptionRecord;
  const CONTEXT& context = raised != nullptr ? raised->Context : *pointers->ContextRecord;
  TCaptureInfo capture;
  capture.Context = &context;
  capture.OsRecord = &record;
  capture.StackPointer = context.Esp;
  capture.StackOverflow = record.ExceptionCode == EXCEPTION_STACK_OVERFLOW;
  capture.RaiseKind = InThreadStartWrapper() ? rkThreadWrapper : rkUncaught;
  if (const std::optional<TLanguageRaise> language = LanguageRaiseOf(record.ExceptionCode, record.ExceptionFlags, record.NumberParameters,
                                                                    reinterpret_cast<const uintptr_t*>(record.ExceptionInformation))) {
    capture.Object = language->Object;
    capture.Address = language->Address;
    if (LastReportedInThread().Matches(capture.Object != nullptr ? capture.Object->ClassName() : "", capture.Address))
      return false;
    return EnterInstalledHandling(capture);
  }
  const std::unique_ptr<rtl::Exception> object = ExceptionObjectFor(record);
  capture.Object = object.get();
  capture.Address = reinterpret_cast<uint32_t>(record.ExceptionAddress);
  return EnterInstalledHandling(capture);
}

// Like the runtime's unhandled-exception procedure: once handled, the
// thread ends; in the main thread the program halts with exit code 1.
LONG WINAPI UnhandledFilter(EXCEPTION_POINTERS* pointers) {
  if (InterceptionState() == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  bool ordinaryHandling = true;
  try {
    ordinaryHandling = ReportUnhandled(pointers);
  } catch (...) {
    // The reporter's own failure must not turn into a second crash.
  }
  if (ordinaryHandling) {
    const LPTOP_LEVEL_EXCEPTION_FILTER previous = previousFilter.load(std::memory_order_relaxed);
    return previous != nullptr ? previous(pointers) : EXCEPTION_CONTINUE_SEARCH;
  }
  if (GetCurrentThreadId() == MainThreadId()) TerminateProcess(GetCurrentProcess(), 1);
  ExitThread(1);
}

}  // namespace

std::optional<AccessFault> AccessFaultOf(const EXCEPTION_RECORD& record) {
  if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters < 2) return std::nullopt;
  AccessFault fault;
  fault.faultAddress = reinterpret_cast<uint32_t>(record.ExceptionAddress);
  fault.write = record.ExceptionInformation[0] == 1;
  fault.accessedAddress = static_cast<uint32_t>(record.ExceptionInformation[1]);
  if (const uint32_t module = ModuleHandleOf(fault.faultAddress); module != 0)
    fault.moduleFileName = ExtractFileName(ModuleFileName(module));
  return fault;
}

std::unique_ptr<rtl::Exception> ExceptionObjectFor(const EXCEPTION_RECORD& record) {
  switch (record.ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
      if (const std::optional<AccessFault> fault = AccessFaultOf(record))
        return std::make_unique<rtl::EAccessViolation>(AccessViolationMessage(*fault));
      return std::make_unique<rtl::EAccessViolation>("Access violation");
    case EXCEPTION_STACK_OVERFLOW: return std::make_unique<rtl::EStackOverflow>("Stack overflow");
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return std::make_unique<rtl::EDivByZero>("Division by zero");
    case EXCEPTION_INT_OVERFLOW: return std::make_unique<rtl::EIntOverflow>("Integer overflow");
    default:
      return std::make_unique<rtl::EExternalException>(
          rtl::Format("External exception %X", static_cast<unsigned>(record.ExceptionCode)));
  }
}

void InstallUnhandledExceptionFilter() {
  if (installed) return;
  previousFilter.store(SetUnhandledExceptionFilter(UnhandledFilter), std::memory_order_relaxed);
  installed = true;
}

void UninstallUnhandledExceptionFilter() {
  if (!installed) return;
  SetUnhandledExceptionFilter(previousFilter.load(std::memory_order_relaxed));
  previousFilter.store(nullptr, std::memory_order_relaxed);
  installed = false;
}

void ReserveStackForHandling(ULONG bytes) {
  using Guarantee = BOOL(WINAPI*)(PULONG);
  static const auto guarantee = reinterpret_cast<Guarantee>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetThreadStackGuarantee")));
  if (guarantee != nullptr) guarantee(&bytes);
}

}  // namespace tarvex
