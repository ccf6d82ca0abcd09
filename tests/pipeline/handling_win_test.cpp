// The handling in a real process: event handlers run in the raising thread,
// an exception inside one is dropped, pausing threads takes no heap memory,
// start-up installs the handling and shut-down removes it, and the end
// decision ends or restarts a program.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>

#include "crashreport/base/options/options_ex.h"
#include "crashreport/pipeline/handling/exception_handling.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/services/handling_system_win.h"
#include "crashreport/startup/tarvexlog_startup_win.h"
#include "crashreport/pipeline/threads/thread_pause_win.h"
#include "crashreport/base/util/loaded_modules_win.h"
#include "tests/pipeline/recording_parts.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing_parts;

constexpr DWORD kWaitLimit = 120000;  // emulated Wine starts programs slowly

class HandlingInProcess : public testing::Test, protected RecordingParts {
 protected:
  HandlingInProcess() {
    modules.program.SetCrashBurstAction(taNone);
    handling.emplace(Services(system));
    capture.Object = &error;
    capture.OutputKind = okApplication;
    state.Installed = true;
  }
  bool Enter() { return EnterHandling(capture, state, *handling); }

  TWindowsHandlingSystem system;
  std::optional<TExceptionHandling> handling;
  rtl::EConvertError error{"'abc' is not a valid integer value"};
  TCaptureInfo capture;
  TFrontDoorState state;
};

TEST_F(HandlingInProcess, EventHandlersRunInTheRaisingThread) {
  std::vector<DWORD> eventThreads;
  route.ProcedureVariables().OnExceptionNotify = [&](TExceptionInfo&, bool&) {
    eventThreads.push_back(GetCurrentThreadId());
  };
  route.ProcedureVariables().OnExceptionActionNotify = [&](TExceptionInfo&, TActionCode, bool&) {
    eventThreads.push_back(GetCurrentThreadId());
  };
  std::atomic<DWORD> composeThread{0};
  builder.onCompose = [&] { composeThread = GetCurrentThreadId(); };
  DWORD raising = 0;
  bool result = true;
  std::thread raiser([&] {
    raising = GetCurrentThreadId();
    result = Enter();
  });
  raiser.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(eventThreads.size(), 5u);  // notify, acBeforeDialog to acAfterSaveLog
  EXPECT_TRUE(std::ranges::all_of(eventThreads, [&](DWORD id) { return id == raising; }));
  EXPECT_NE(composeThread.load(), 0u);
  EXPECT_NE(composeThread.load(), raising);  // the handling itself runs on its own thread
  EXPECT_EQ(handling->State().ExceptionCount, 1);
}

TEST_F(HandlingInProcess, ExceptionInsideAnEventHandlerIsDroppedAndDoesNotRecurse) {
  const rtl::EAccessViolation inHandler("Access violation in the handler");
  bool nestedResult = true;
  route.ProcedureVariables().OnExceptionNotify = [&](TExceptionInfo&, bool&) {
    TCaptureInfo nested;
    nested.Object = &inHandler;
    nestedResult = EnterHandling(nested, state, *handling);  // as an interception point in the handler would
    throw rtl::EConvertError("raised by the handler");
  };
  EXPECT_FALSE(Enter());
  EXPECT_FALSE(nestedResult);
  EXPECT_EQ(std::ranges::count(journal, std::string("compose")), 1);
  EXPECT_EQ(handling->State().ExceptionCount, 1);
  EXPECT_EQ(std::ranges::count(journal, std::string("log add REPORT\r\n")), 1);  // the handling went on to the end
}

// A thread that takes the process heap's lock when told and holds it for
// `holdMs` (INFINITE: until the holder is destroyed). Having let go, it stays
// alive until then, so a test can still read its suspend count however long
// the pause took.
class HeapHolder {
 public:
  explicit HeapHolder(DWORD holdMs) : holdMs_(holdMs) {
    thread_ = std::thread([this] {
      id_ = GetCurrentThreadId();
      SetEvent(started_);
      WaitForSingleObject(lockNow_, INFINITE);
      HeapLock(GetProcessHeap());
      SetEvent(locked_);
      WaitForSingleObject(release_, holdMs_);
      HeapUnlock(GetProcessHeap());
      WaitForSingleObject(finish_, INFINITE);
    });
    WaitForSingleObject(started_, kWaitLimit);
  }
  ~HeapHolder() {
    SetEvent(release_);
    SetEvent(finish_);
    thread_.join();
    for (HANDLE h : {started_, lockNow_, locked_, release_, finish_}) CloseHandle(h);
  }
  DWORD Id() const { return id_; }
  bool Lock() {
    SetEvent(lockNow_);
    return WaitForSingleObject(locked_, kWaitLimit) == WAIT_OBJECT_0;
  }

 private:
  DWORD holdMs_;
  HANDLE started_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE lockNow_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE locked_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE finish_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD id_ = 0;
  std::thread thread_;
};

// A thread (spared by the pause, as the raising thread is) that takes heap
// memory when asked; whether that finished.
class HeapUser {
 public:
  HeapUser() {
    thread_ = std::thread([this] {
      id_ = GetCurrentThreadId();
      SetEvent(ready_);
      while (WaitForSingleObject(go_, INFINITE) == WAIT_OBJECT_0 && !stop_) {
        HeapFree(GetProcessHeap(), 0, HeapAlloc(GetProcessHeap(), 0, 100));
        SetEvent(done_);
      }
    });
    WaitForSingleObject(ready_, kWaitLimit);
  }
  ~HeapUser() {
    stop_ = true;
    SetEvent(go_);
    thread_.join();
    for (HANDLE h : {ready_, go_, done_}) CloseHandle(h);
  }
  DWORD Id() const { return id_; }
  bool Allocates() {
    SetEvent(go_);
    return WaitForSingleObject(done_, kWaitLimit) == WAIT_OBJECT_0;
  }

 private:
  HANDLE ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE go_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::atomic<bool> stop_{false};
  DWORD id_ = 0;
  std::thread thread_;
};

DWORD SuspendCountOf(DWORD threadId) {
  const HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
  const DWORD previous = SuspendThread(thread);
  ResumeThread(thread);
  CloseHandle(thread);
  return previous;
}

// Lists every thread but the user's, lets the holder take the heap and
// pauses them; `whilePaused` runs before the resume. The number of threads
// that were paused; nothing when the holder could not take the heap.
std::optional<size_t> PauseWhileHeld(HeapHolder& holder, const HeapUser& user,
                                     const std::function<void()>& whilePaused) {
  TThreadPauser pauser;
  TThreadPause pause;
  pause.RuntimeThreads = pause.OtherThreads = true;
  pause.RaisingThread = user.Id();
  pauser.Prepare(pause);
  if (!holder.Lock()) return std::nullopt;
  pauser.PausePrepared();
  const size_t paused = pauser.PausedCount();
  whilePaused();
  pauser.ResumeAll();
  return paused;
}

// A paused thread that holds the heap's lock is let go until it gives the
// lock back; then the threads are paused and the heap can be used. Pausing
// and resuming themselves take no heap memory (a call that did would wait
// for the lock for ever).
TEST(ThreadPause, ThreadsStayPausedOnlyWhenNoneOfThemHoldsTheHeap) {
  HeapUser user;
  HeapHolder holder(300);
  DWORD holderCount = 0;
  bool allocated = false;
  const std::optional<size_t> paused = PauseWhileHeld(holder, user, [&] {
    holderCount = SuspendCountOf(holder.Id());
    allocated = user.Allocates();
  });
  ASSERT_TRUE(paused.has_value());
  EXPECT_GE(*paused, 1u);
  EXPECT_EQ(holderCount, 1u) << "the holder is paused once it let go of the heap";
  EXPECT_TRUE(allocated) << "the heap could not be used while the threads were paused";
  EXPECT_EQ(SuspendCountOf(holder.Id()), 0u);
}

TEST(ThreadPause, AThreadThatKeepsTheHeapLeavesEveryThreadRunning) {
  HeapUser user;
  std::optional<size_t> paused;
  DWORD holderCount = 1;
  {
    HeapHolder holder(INFINITE);
    paused = PauseWhileHeld(holder, user, [&] { holderCount = SuspendCountOf(holder.Id()); });
  }  // nothing that may allocate until the holder lets go
  EXPECT_EQ(paused, std::optional<size_t>(0));
  EXPECT_EQ(holderCount, 0u);
}

TEST(StartUp, InstallsTheHandlingThatUncaughtExceptionsReach) {
  Journal journal;
  RecordingBuilder builder{journal};
  RecordingDialogs dialogs{journal};
  RecordingLog log{journal};
  RecordingScreenshot screenshot{journal};
  TTarvexLogParts parts;
  parts.Builder = &builder;
  parts.Dialogs = &dialogs;
  parts.Log = &log;
  parts.Screenshot = &screenshot;
  ASSERT_TRUE(StartTarvexLog(parts));  // the test program carries crash reporter data
  EXPECT_FALSE(TarvexLogStatus().IsForwardingLibrary);
  EXPECT_FALSE(TarvexLogStatus().StartingUp);
  EXPECT_EQ(MainThreadId(), GetCurrentThreadId());
  DWORD notified = 0;
  TarvexLogEvents()->ProcedureVariables().OnExceptionNotify = [&](TExceptionInfo& info, bool&) {
    notified = info.ThreadId;
  };

  DWORD raising = 0;
  std::thread failing([&] {
    raising = GetCurrentThreadId();
    throw rtl::EConvertError("'x' is not a valid integer value");  // no handler: the thread ends
  });
  failing.join();
  EXPECT_EQ(notified, raising);
  EXPECT_EQ(std::ranges::count(journal, std::string("compose")), 1);
  EXPECT_EQ(TarvexLogHandling()->State().ExceptionCount, 1);

  StopTarvexLog();
  EXPECT_FALSE(TarvexLogStatus().Installed);
  EXPECT_EQ(TarvexLogEvents(), nullptr);
}

DWORD WINAPI WaitForEvent(void* event) {
  WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
  return 0;
}

TEST(StartUp, FaultInsideTheHandlingEndsOnlyTheHandlingAndResumesThePausedThreads) {
  RecordingParts recording;
  recording.builder.onCompose = [] { *static_cast<volatile int*>(nullptr) = 1; };
  recording.modules.program.SetBehaviourFlags(bfPauseSystemThreads);
  recording.modules.program.SetCrashBurstAction(taNone);
  TTarvexLogParts parts;
  parts.Builder = &recording.builder;
  parts.Dialogs = &recording.dialogs;
  parts.Log = &recording.log;
  parts.Screenshot = &recording.screenshot;
  parts.Options = &recording.modules;
  ASSERT_TRUE(StartTarvexLog(parts));
  const HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HANDLE bystander = CreateThread(nullptr, 0, WaitForEvent, go, 0, nullptr);

  std::thread failing([] { throw rtl::EConvertError("'x' is not a valid integer value"); });
  failing.join();  // neither a second report nor a wait on the handler lock
  EXPECT_EQ(std::ranges::count(recording.journal, std::string("compose")), 1);
  EXPECT_EQ(std::ranges::count(recording.journal, std::string("log add REPORT\r\n")), 0);
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(bystander, kWaitLimit), WAIT_OBJECT_0);  // paused, then resumed
  CloseHandle(bystander);
  CloseHandle(go);
  StopTarvexLog();
}

// The recording parts with this library's own options of the loaded modules.
TTarvexLogParts RecordingLogParts(RecordingParts& recording) {
  TTarvexLogParts parts;
  parts.Builder = &recording.builder;
  parts.Dialogs = &recording.dialogs;
  parts.Log = &recording.log;
  parts.Screenshot = &recording.screenshot;
  return parts;
}

bool SharedBlockExists(const std::string& name) {
  const HANDLE block = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
  if (block != nullptr) CloseHandle(block);
  return block != nullptr;
}

TEST(StartUp, ShutDownRemovesTheSharedBlockAndTheReporterStartsAgain) {
  RecordingParts recording;
  const std::string block = SharedOptionsName(GetCurrentProcessId(), reinterpret_cast<uint32_t>(GetModuleHandleA(nullptr)));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(StartTarvexLog(RecordingLogParts(recording)));
    EXPECT_TRUE(SharedBlockExists(block));
    StopTarvexLog();
    EXPECT_FALSE(SharedBlockExists(block));
  }
}

// The event exports of a library that faults: called in the raising thread
// when the library carries crash reporter data, else not at all.
TEST(StartUp, EventExportsOfTheFaultingModuleRunInTheRaisingThread) {
  const struct {
    const char* library;
    bool called;
  } cases[] = {{EVENT_MODULE_WITH_DATA, true}, {EVENT_MODULE_WITHOUT_DATA, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.library);
    const HMODULE library = LoadLibraryA(c.library);
    ASSERT_NE(library, nullptr);
    using Fault = void (*)();
    using LastNotify = bool (*)(DWORD*, uint32_t*, uint32_t*, bool*);
    const auto fault = reinterpret_cast<Fault>(reinterpret_cast<void*>(GetProcAddress(library, "EventModule_Fault")));
    const auto lastNotify =
        reinterpret_cast<LastNotify>(reinterpret_cast<void*>(GetProcAddress(library, "EventModule_LastNotify")));
    ASSERT_TRUE(fault != nullptr && lastNotify != nullptr);
    RecordingParts recording;
    ASSERT_TRUE(StartTarvexLog(RecordingLogParts(recording)));
    bool programNotified = false;
    TarvexLogEvents()->ProcedureVariables().OnExceptionNotify = [&](TExceptionInfo&, bool&) { programNotified = true; };

    DWORD raising = 0;
    std::thread faulting([&] {
      raising = GetCurrentThreadId();
      fault();  // nothing catches the access violation: the handling ends the thread
    });
    faulting.join();
    StopTarvexLog();

    DWORD callingThread = 0;
    uint32_t address = 0, threadId = 0;
    bool handle = false;
    EXPECT_EQ(lastNotify(&callingThread, &address, &threadId, &handle), c.called);
    if (c.called) {
      EXPECT_EQ(callingThread, raising);
      EXPECT_EQ(threadId, raising);
      EXPECT_EQ(ModuleHandleOf(address), reinterpret_cast<uint32_t>(library));  // the faulting instruction
      EXPECT_TRUE(handle);
    }
    EXPECT_TRUE(programNotified);  // the program's own handlers come after the module's
    FreeLibrary(library);
  }
}

TEST(StartUp, WithoutReportBuilderOrDialogsNothingIsInstalled) {
  EXPECT_FALSE(StartTarvexLog(TTarvexLogParts{}));
  EXPECT_NE(TarvexLogEvents(), nullptr);
  StopTarvexLog();
}

// Runs the probe in a fresh folder of its own, removed again afterwards; its
// log lines and exit code.
struct ProbeRun {
  DWORD exitCode = 0;
  bool eventSet = false;
  std::vector<std::string> lines;
  std::string folder;
  std::string commandLine;
};

ProbeRun RunProbe(const std::string& mode) {
  ProbeRun run;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  run.folder = std::string(temp) + "restart_probe_" + mode + "_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(run.folder.c_str(), nullptr);
  const std::string logFile = run.folder + "\\probe.log";
  DeleteFileA(logFile.c_str());
  const std::string eventName = "restart_probe_" + std::to_string(GetCurrentProcessId());
  const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  run.commandLine = "restart_probe.exe " + mode + " \"" + logFile + "\" " + eventName + " \"two words\"";
  std::string commandLine = run.commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(RESTART_PROBE_EXE, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, run.folder.c_str(),
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, kWaitLimit);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.eventSet = mode == "restart" && WaitForSingleObject(event, kWaitLimit) == WAIT_OBJECT_0;
  }
  CloseHandle(event);
  {
    std::ifstream in(logFile);
    for (std::string line; std::getline(in, line);) run.lines.push_back(line);
  }
  // Nothing left behind in the prefix's temporary folder for later runs.
  DeleteFileA(logFile.c_str());
  RemoveDirectoryA(run.folder.c_str());
  return run;
}

TEST(EndDecision, RestartStartsTheSameCommandLineInTheStartFolderAndEndsWithOne) {
  const ProbeRun run = RunProbe("restart");
  EXPECT_EQ(run.exitCode, 1u);
  ASSERT_TRUE(run.eventSet);
  ASSERT_GE(run.lines.size(), 2u);
  const std::string start = "start|" + run.folder + "|" + run.commandLine;
  EXPECT_EQ(run.lines[0], start);
  EXPECT_EQ(run.lines[1], start);  // the first run ended without its exit handler
}

TEST(EndDecision, TerminateEndsAtOnceWithOne) {
  const ProbeRun run = RunProbe("terminate");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.lines, (std::vector<std::string>{"start|" + run.folder + "|" + run.commandLine}));
}

}  // namespace
