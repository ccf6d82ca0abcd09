// crashlab: raises one chosen kind of failure, in the main thread or in a
// second one, so that tests can watch the crash reporter meet it.
//
//   crashlab KIND [--thread]
//   crashlab --list          prints the kinds that give a report, one a line
//   crashlab KIND --gui [--ordinary]
//   KIND: av-read, av-write, div-zero, stack-overflow, raise-custom, cpp-uncaught,
//         abort (EAbort: never handled), handled (caught by the program, reported
//         at the end of its catch block), raise-language (a language exception
//         raised through RaiseException)
//
// The crash reporter's interception points are installed as a program gets
// them; a second thread is started through the hooked CreateThread. With
// --gui the failure happens in the click handler of a form's button, so the
// framework's message handling catches it and hands it to the application's
// exception handler; the handling answers "ordinary handling too" (the
// framework's error box) only with --ordinary; "DONE" follows. Each
// handling prints one line to standard output:
//   HANDLED|<class>|<message>|<raising thread id>|<address>|<handled 0/1>|<raise kind>|<output kind>|<EIP>|<ESP>
// (EIP and ESP of the captured context, empty without one), then the bug
// report, traced and composed from the live process, between the lines
// "----- BEGIN BUG REPORT -----" and "----- END BUG REPORT -----".
// The program prints "THREAD|<id>" for the thread that will fail first
// and "RAISER|<address>" for the start of the function that fails.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "crashreport/callstack/modules/modules_win.h"
#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/core/options/options.h"
#include "crashreport/core/pipeline/front_door_win.h"
#include "crashreport/core/pipeline/interception_points_win.h"
#include "crashreport/core/pipeline/language_exception.h"
#include "crashreport/core/pipeline/live_facts_win.h"
#include "crashreport/core/pipeline/live_report_builder_win.h"
#include "crashreport/core/pipeline/os_exceptions_win.h"
#include "gui/application.h"
#include "gui/form.h"
#include "gui/std_controls.h"

namespace {

constexpr uint8_t kSaveModuleSections = 0x10;  // LogFlags bit 4

// The options compiled into this program, else the defaults.
const tarvex::TTarvexModuleOptions& LabOptions() {
  static const tarvex::TTarvexModuleOptions defaults;
  const tarvex::TTarvexModuleInfo* self = tarvex::FindModuleInfo(uint32_t(uintptr_t(GetModuleHandleA(nullptr))));
  return self != nullptr && self->Options ? *self->Options : defaults;
}

std::string Hex(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

// Prints what the handler received and the report the live builder makes of it.
class ReportingProcessor : public tarvex::TExceptionProcessor {
 public:
  bool ordinaryHandling = false;

  bool ProcessException(const tarvex::TCaptureInfo& capture) override {
    const std::optional<tarvex::CpuRegisters> registers = tarvex::RegistersOf(capture.Context);
    std::printf("HANDLED|%s|%s|%lu|%08X|%d|%d|%d|%s|%s\n", capture.Object ? capture.Object->ClassName() : "",
                capture.Object ? capture.Object->Message().c_str() : "", static_cast<unsigned long>(capture.ThreadId),
                capture.Address, capture.Handled ? 1 : 0, int(capture.RaiseKind), int(capture.OutputKind),
                registers ? Hex(registers->eip).c_str() : "", registers ? Hex(registers->esp).c_str() : "");
    std::fflush(stdout);

    const tarvex::TTarvexModuleOptions& options = LabOptions();
    const std::unique_ptr<tarvex::TReportBuilder> builder = tarvex::MakeLiveReportBuilder();
    builder->TraceCallStacks(capture, options);
    if (options.LogFlags() & kSaveModuleSections) builder->ListModulesAndProcesses();
    const tarvex::BugReport report = builder->Compose(capture, options, tarvex::LocalDateTimeNow());
    std::printf("----- BEGIN BUG REPORT -----\n");
    std::fwrite(report.text.data(), 1, report.text.size(), stdout);
    std::printf("----- END BUG REPORT -----\n");
    std::fflush(stdout);
    return ordinaryHandling;
  }
};

// The main thread in the reporter's threads list, as the reporter's start-up enters it.
void RegisterMainThread() {
  HANDLE handle = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &handle, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  tarvex::ThreadsWriteLock lock(tarvex::ThreadsList());
  tarvex::TTarvexThreadInfo* entry = tarvex::ThreadsList().AddEntry();
  entry->ThreadID = GetCurrentThreadId();
  entry->Handle = uint32_t(uintptr_t(handle));
  entry->StackTop = tarvex::CurrentThreadStackTop();
}

volatile int zero = 0;
volatile int* volatile nowhere = nullptr;

__attribute__((noinline)) void ReadNowhere() { std::printf("%d\n", nowhere[4]); }
__attribute__((noinline)) void WriteNowhere() { nowhere[4] = 1; }
__attribute__((noinline)) void DivideByZero() { std::printf("%d\n", 10 / zero); }
volatile bool deeper = true;  // read each time, so the recursion is not seen as endless
__attribute__((noinline)) int Recurse(int depth) {
  volatile char block[1024];
  block[0] = static_cast<char>(depth);
  return (deeper ? Recurse(depth + 1) : 0) + block[0];
}
__attribute__((noinline)) void RaiseCustom() { RaiseException(0xE0001234, 0, 0, nullptr); }
__attribute__((noinline)) void ThrowUncaught() { throw rtl::EConvertError("'lab' is not a valid integer value"); }
__attribute__((noinline)) void ThrowAbort() { throw rtl::EAbort("quietly"); }
__attribute__((noinline)) void ThrowConvertError() { throw rtl::EConvertError("'caught' is not a valid integer value"); }
void CatchConvertError() {
  try {
    ThrowConvertError();
  } catch (const rtl::EConvertError&) {
    std::printf("CAUGHT\n");
  }
}
// The call instruction that called this function.
__attribute__((noinline)) uintptr_t CallSite() {
  return reinterpret_cast<uintptr_t>(__builtin_extract_return_addr(__builtin_return_address(0))) - 5;
}
__attribute__((noinline)) void RaiseLanguage() {
  static const rtl::EConvertError error("'language' is not a valid integer value");
  const ULONG_PTR arguments[tarvex::kLanguageArgumentCount] = {CallSite(), reinterpret_cast<ULONG_PTR>(&error)};
  RaiseException(tarvex::kLanguageExceptionCode, tarvex::kLanguageExceptionFlags, tarvex::kLanguageArgumentCount,
                 arguments);
}

using Failure = void (*)();
void Overflow() { Recurse(0); }

struct Kind {
  const char* name;
  Failure raise;
  const void* raiser;  // the function in which the failure happens (nullptr: inside the system)
};
const Kind kKinds[] = {
    {"av-read", ReadNowhere, reinterpret_cast<const void*>(ReadNowhere)},
    {"av-write", WriteNowhere, reinterpret_cast<const void*>(WriteNowhere)},
    {"div-zero", DivideByZero, reinterpret_cast<const void*>(DivideByZero)},
    {"stack-overflow", Overflow, reinterpret_cast<const void*>(Recurse)},
    {"raise-custom", RaiseCustom, nullptr},
    {"cpp-uncaught", ThrowUncaught, reinterpret_cast<const void*>(ThrowUncaught)},
    {"abort", ThrowAbort, reinterpret_cast<const void*>(ThrowAbort)},
    {"handled", CatchConvertError, reinterpret_cast<const void*>(ThrowConvertError)},
    {"raise-language", RaiseLanguage, reinterpret_cast<const void*>(RaiseLanguage)},
};

// A form with one button whose click handler fails.
class FailingForm : public rtl::gui::Form {
 public:
  Failure failure = nullptr;
  rtl::gui::Button button;

  void Create() override {
    CreateFormWindow({L"crashlab", {40, 40}, {200, 80}, L"Tahoma", 13});
    button.Create(*this, {10, 10, 120, 30}, L"Fail");
    button.OnClick = [this] { failure(); };
  }
};

int RunInForm(Failure failure) {
  rtl::gui::Application& application = rtl::gui::TheApplication();
  application.Initialize();
  application.SetTitle(L"crashlab");
  FailingForm* form = nullptr;
  application.CreateForm(form);
  form->failure = failure;
  std::printf("THREAD|%lu\n", GetCurrentThreadId());
  std::fflush(stdout);
  SendMessageW(form->button.Handle(), BM_CLICK, 0, 0);
  std::printf("DONE\n");
  std::fflush(stdout);
  return 0;
}

bool HasSwitch(int argc, char** argv, const char* name) {
  for (int i = 2; i < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return true;
  return false;
}

DWORD WINAPI FailingThread(void* failure) {
  std::printf("THREAD|%lu\n", GetCurrentThreadId());
  std::fflush(stdout);
  reinterpret_cast<Failure>(failure)();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // the report's own CR LF line ends pass unchanged
  if (argc > 1 && std::strcmp(argv[1], "--list") == 0) {
    for (const Kind& k : kKinds)
      if (k.raise != ThrowAbort) std::printf("%s\n", k.name);  // EAbort is never reported
    return 0;
  }
  const Kind* kind = nullptr;
  for (const Kind& k : kKinds)
    if (argc > 1 && std::strcmp(argv[1], k.name) == 0) kind = &k;
  if (kind == nullptr) {
    std::fprintf(stderr, "usage: crashlab KIND [--thread] | crashlab --list\n");
    return 2;
  }
  std::printf("RAISER|%08X\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(kind->raiser)));
  tarvex::SetMainThreadId(GetCurrentThreadId());
  RegisterMainThread();
  tarvex::ReserveStackForHandling();
  static ReportingProcessor processor;
  tarvex::TFrontDoorState state;
  state.Installed = true;
  state.ReportCaught = true;
  tarvex::InstallInterceptionPoints(processor, state);
  if (HasSwitch(argc, argv, "--gui")) {
    processor.ordinaryHandling = HasSwitch(argc, argv, "--ordinary");
    return RunInForm(kind->raise);
  }
  if (HasSwitch(argc, argv, "--thread")) {
    const HANDLE thread = CreateThread(nullptr, 0, FailingThread, reinterpret_cast<void*>(kind->raise), 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    return static_cast<int>(exitCode);  // 1 when the handled failure ended the thread
  }
  std::printf("THREAD|%lu\n", GetCurrentThreadId());
  std::fflush(stdout);
  kind->raise();
  std::fflush(stdout);
  return 0;
}
