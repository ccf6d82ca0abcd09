// crashlab: raises one chosen kind of failure, in the main thread or in a
// second one, so that tests can watch the crash reporter meet it.
//
//   crashlab KIND [--thread]
//   crashlab --list          prints the kinds that give one report, one a line
//   crashlab KIND --gui [--ordinary]
//   crashlab event-raises    an event handler fails during the handling
//   crashlab burst EVENT     ten caught exceptions in quick succession
//   KIND: av-read, av-write, div-zero, stack-overflow, raise-custom, av-system
//         (an access violation inside the C runtime library), cpp-uncaught,
//         abort (EAbort: never handled), handled (caught by the program, reported
//         at the end of its catch block), raise-language (a language exception
//         raised through RaiseException)
//
// The lab carries the crash reporter as every program does (it links
// tarvexlog_autostart): the whole handling runs with the options compiled
// into it (crashlab.options), and being a console program it gets each
// report on standard output. With --gui the failure happens in the click
// handler of a form's button, so the framework's message handling catches it
// and hands it to the application's exception handler; with --ordinary the
// lab's notify handler clears the handle flag, so the framework's error box
// appears; "DONE" follows.
//
// What the tests check comes from the handling's own events (the process-wide
// procedure variables). The notify event prints
//   HANDLED|<class>|<message>|<raising thread id>|<address>|<handled 0/1>|<raise kind>|<output kind>|<EIP>|<ESP>
// (EIP and ESP of the captured context, empty without one); the action events
// acBeforeDialog and acAfterDialog, around the report's output, print
// "----- BEGIN BUG REPORT -----" and "----- END BUG REPORT -----";
// acBeforeTerminate prints "TERMINATING".
// The program prints "THREAD|<id>" for the thread that will fail first
// and "RAISER|<address>" for the start of the function that fails.
//
// event-raises: an event component's notify handler prints "EVENT-RAISES" and
// throws; the handling drops that exception and reports the original once.
// burst: the lab catches ten exceptions and more, each reported at the end of
// its catch block; the crash burst rule restarts the program after the tenth.
// The restarted lab (it finds CRASHLAB_RESTARTED in its environment) sets the
// named event EVENT, prints "RESTARTED" and ends with 0.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "crashreport/pipeline/handling/capture_info.h"
#include "crashreport/pipeline/interception/language_exception.h"
#include "crashreport/pipeline/services/live_facts_win.h"
#include "crashreport/startup/tarvexlog_startup_win.h"
#include "gui/application.h"
#include "gui/form.h"
#include "gui/std_controls.h"
#include "rtl/exception.h"

namespace {

constexpr int kBurstCatches = 12;  // more than a burst, so a late restart shows
constexpr const char* kRestartedVariable = "CRASHLAB_RESTARTED";

std::string Hex(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

void PrintLine(const char* line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}

// The notify event: what the handling received, for the tests.
void PrintHandled(const tarvex::TExceptionInfo& info) {
  const tarvex::TCaptureInfo* capture = info.Capture;
  const std::optional<tarvex::CpuRegisters> registers =
      capture != nullptr ? tarvex::RegistersOf(capture->Context) : std::nullopt;
  std::printf("HANDLED|%s|%s|%lu|%08X|%d|%d|%d|%s|%s\n", info.Object ? info.Object->ClassName() : "",
              info.Object ? info.Object->Message().c_str() : "", static_cast<unsigned long>(info.ThreadId),
              info.Address, info.Handled ? 1 : 0, capture ? int(capture->RaiseKind) : -1,
              capture ? int(capture->OutputKind) : -1, registers ? Hex(registers->eip).c_str() : "",
              registers ? Hex(registers->esp).c_str() : "");
  std::fflush(stdout);
}

// The lab's handlers in the process-wide procedure variables. `ordinary`:
// the notify handler clears the handle flag (the runtime's ordinary handling runs).
void ListenToTheHandling(bool ordinary) {
  tarvex::TEventRoute* route = tarvex::TarvexLogEvents();
  if (route == nullptr) {
    PrintLine("NO-REPORTER");
    return;
  }
  tarvex::TTarvexEvents& events = route->ProcedureVariables();
  events.OnExceptionNotify = events.OnHandledExceptionNotify = [ordinary](tarvex::TExceptionInfo& info, bool& handle) {
    PrintHandled(info);
    if (ordinary) handle = false;
  };
  events.OnExceptionActionNotify = [](tarvex::TExceptionInfo&, tarvex::TActionCode code, bool&) {
    if (code == tarvex::acBeforeDialog) PrintLine("----- BEGIN BUG REPORT -----");
    if (code == tarvex::acAfterDialog) PrintLine("----- END BUG REPORT -----");
    if (code == tarvex::acBeforeTerminate) PrintLine("TERMINATING");
  };
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
// strlen of the C runtime library, called where the compiler cannot put its own code.
size_t (*volatile measure)(const char*) = std::strlen;
__attribute__((noinline)) void MeasureNowhere() { std::printf("%u\n", static_cast<unsigned>(measure(reinterpret_cast<const char*>(0x10)))); }
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

// An event component whose notify handler fails while the handling runs.
void FailInAnEventHandler() {
  static tarvex::TTarvexEvents failing;
  failing.OnExceptionNotify = [](tarvex::TExceptionInfo&, bool&) {
    PrintLine("EVENT-RAISES");
    throw rtl::EConvertError("'event' is not a valid integer value");
  };
  if (tarvex::TEventRoute* route = tarvex::TarvexLogEvents()) route->Register(&failing);
  ThrowUncaught();
}

using Failure = void (*)();
void Overflow() { Recurse(0); }

struct Kind {
  const char* name;
  Failure raise;
  const void* raiser;  // the function in which the failure happens (nullptr: inside the system)
  bool listed = true;  // gives one report (EAbort gives none)
};
const Kind kKinds[] = {
    {"av-read", ReadNowhere, reinterpret_cast<const void*>(ReadNowhere)},
    {"av-write", WriteNowhere, reinterpret_cast<const void*>(WriteNowhere)},
    {"div-zero", DivideByZero, reinterpret_cast<const void*>(DivideByZero)},
    {"stack-overflow", Overflow, reinterpret_cast<const void*>(Recurse)},
    {"raise-custom", RaiseCustom, nullptr},
    {"av-system", MeasureNowhere, nullptr},
    {"cpp-uncaught", ThrowUncaught, reinterpret_cast<const void*>(ThrowUncaught)},
    {"abort", ThrowAbort, reinterpret_cast<const void*>(ThrowAbort), false},
    {"handled", CatchConvertError, reinterpret_cast<const void*>(ThrowConvertError)},
    {"raise-language", RaiseLanguage, reinterpret_cast<const void*>(RaiseLanguage)},
    {"event-raises", FailInAnEventHandler, reinterpret_cast<const void*>(ThrowUncaught), false},
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
  PrintLine("DONE");
  return 0;
}

// Catches exception after exception until the crash burst rule restarts the
// program; the restarted program only tells `eventName` that it runs.
int Burst(const char* eventName) {
  if (GetEnvironmentVariableA(kRestartedVariable, nullptr, 0) > 0) {
    const HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    if (event != nullptr) SetEvent(event);
    PrintLine("RESTARTED");
    return 0;
  }
  SetEnvironmentVariableA(kRestartedVariable, "1");  // the restarted program inherits it
  std::printf("THREAD|%lu\n", GetCurrentThreadId());
  std::fflush(stdout);
  for (int i = 0; i < kBurstCatches; ++i) CatchConvertError();
  PrintLine("NO-RESTART");
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
      if (k.listed) std::printf("%s\n", k.name);
    return 0;
  }
  if (argc > 2 && std::strcmp(argv[1], "burst") == 0) {
    std::printf("RAISER|%08X\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(&ThrowConvertError)));
    ListenToTheHandling(false);
    return Burst(argv[2]);
  }
  const Kind* kind = nullptr;
  for (const Kind& k : kKinds)
    if (argc > 1 && std::strcmp(argv[1], k.name) == 0) kind = &k;
  if (kind == nullptr) {
    std::fprintf(stderr, "usage: crashlab KIND [--thread] | crashlab KIND --gui [--ordinary] | crashlab burst EVENT | "
                         "crashlab --list\n");
    return 2;
  }
  std::printf("RAISER|%08X\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(kind->raiser)));
  const bool gui = HasSwitch(argc, argv, "--gui");
  ListenToTheHandling(gui && HasSwitch(argc, argv, "--ordinary"));
  if (gui) return RunInForm(kind->raise);
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
