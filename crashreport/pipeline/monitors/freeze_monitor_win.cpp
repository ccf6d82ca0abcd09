#include "crashreport/pipeline/monitors/freeze_monitor_win.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <utility>

#include "crashreport/base/options/message_texts.h"
#include "crashreport/base/options/options.h"
#include "crashreport/base/util/loaded_modules_win.h"
#include "crashreport/pipeline/monitors/freeze_watch.h"
#include "crashreport/pipeline/monitors/frozen_application.h"
#include "crashreport/pipeline/monitors/frozen_thread_snapshot_win.h"
#include "crashreport/pipeline/monitors/main_window_win.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/threads/heap_probe_win.h"
#include "rtl/thread.h"

namespace tarvex {

namespace {

// Generous, as for pausing: the probe thread only has to wake and take a free
// lock. A hung main thread that holds the heap would stop the handling's
// first allocation, so the report waits for the next period instead.
constexpr DWORD kHeapProbeWaitMs = 1000;

class TWindowsMainWindow final : public MainWindowProber {
 public:
  explicit TWindowsMainWindow(DWORD mainThreadId) : mainThreadId_(mainThreadId) {}

  bool FindMainWindow() override {
    window_ = FindProcessMainWindow(mainThreadId_);
    return window_ != nullptr;
  }

  WindowAnswer Probe() override {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_BLOCK, FreezePolicy::kProbeMs, &result) != 0)
      return WindowAnswer::Answered;
    return IsWindow(window_) ? WindowAnswer::Silent : WindowAnswer::Gone;
  }

 private:
  DWORD mainThreadId_;
  HWND window_ = nullptr;
};

class TPerformanceClock final : public MonotonicClock {
 public:
  TPerformanceClock() { QueryPerformanceFrequency(&frequency_); }
  uint64_t NowMs() override {
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return frequency_.QuadPart > 0 ? uint64_t(count.QuadPart) * 1000 / uint64_t(frequency_.QuadPart) : GetTickCount();
  }

 private:
  LARGE_INTEGER frequency_{};
};

class TThreadSleeper final : public Sleeper {
 public:
  void SleepMs(uint32_t ms) override { Sleep(ms); }
};

class TFreezeThread final : public rtl::Thread, private FreezeWatcher {
 public:
  TFreezeThread(const TTarvexModuleOptions& options, DWORD mainThreadId)
      : options_(options), snapshot_(mainThreadId), window_(mainThreadId) {}

 protected:
  void Execute() override {
    try {
      RunFreezeWatch({window_, clock_, sleeper_, *this});
    } catch (...) {
      // A failure of the monitor ends the monitor, never the program.
    }
  }

 private:
  bool Terminated() override { return rtl::Thread::Terminated(); }
  int32_t TimeoutSeconds() override { return options_.FreezeSeconds(); }

  void ReportFreeze() override {
    if (!snapshot_.Take()) return;  // no registers this time: skipped, as for any failed pass
    THeapProbe* probe = THeapProbe::Instance();
    if (probe != nullptr && !probe->HeapIsFree(kHeapProbeWaitMs)) return;
    EFrozenApplication frozen(options_.Text(mtApplicationFrozen));
    TCaptureInfo capture;
    capture.Object = &frozen;
    capture.Address = snapshot_.Context().Eip;
    capture.Context = &snapshot_.Context();
    capture.StackPointer = snapshot_.StackPointer();
    capture.StackBase = snapshot_.StackTop();
    capture.StackCopy = snapshot_.StackCopy();
    capture.StackCopySize = snapshot_.StackCopySize();
    capture.ThreadId = snapshot_.ThreadId();
    EnterInstalledHandling(capture);
  }

  const TTarvexModuleOptions& options_;
  TFrozenThreadSnapshot snapshot_;  // reserved now: a report must not wait for the heap while the thread is suspended
  TWindowsMainWindow window_;
  TPerformanceClock clock_;
  TThreadSleeper sleeper_;
};

// Start-up and shut-down write the setup; the monitor and the switch read it between them.
TFreezeMonitorSetup setup;
// The one monitor; guarded by monitorLock. Its thread is waited for outside
// the lock. A plain pointer: a monitor never stopped is left to the process's
// end rather than freed under its running thread by a static destructor.
std::mutex monitorLock;
TFreezeThread* monitor = nullptr;
bool monitorStopping = false;  // guarded by monitorLock: asked to end from inside a handling

bool RunningModuleIsLibrary() {
  const auto* image = reinterpret_cast<const uint8_t*>(ModuleHandleOf(reinterpret_cast<const void*>(&StartFreezeMonitor)));
  if (image == nullptr) return false;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image + dos->e_lfanew);
  return (nt->FileHeader.Characteristics & IMAGE_FILE_DLL) != 0;
}

bool InsideHandling() { return HandlingThreadId() != 0; }

// Ends the monitor's thread and frees it.
void Finish(TFreezeThread* ending) {
  ending->Terminate();
  if (RunningModuleIsLibrary())
    ending->Kill(1);
  else
    ending->WaitFor();
  delete ending;
}

}  // namespace

void SetFreezeMonitorSetup(const TFreezeMonitorSetup& value) { setup = value; }

void StartFreezeMonitor() {
  const TTarvexModuleOptions* options = setup.Options;
  if (options == nullptr || !options->FreezeWatch() || HostIsDevelopmentEnvironment()) return;
  if (setup.LibraryWithOwnData && (options->BehaviourFlags() & bfMainProgramOptions) != 0) return;
  TFreezeThread* ended = nullptr;
  {
    std::lock_guard hold(monitorLock);
    if (monitor != nullptr && !monitorStopping) return;
    if (monitor != nullptr && InsideHandling()) return;  // the old one may still wait for this handling
    ended = std::exchange(monitor, nullptr);
    monitorStopping = false;
  }
  if (ended != nullptr) Finish(ended);
  // The monitor reserves its memory and starts the heap probe now, while nothing is suspended.
  THeapProbe::Instance();
  auto made = std::make_unique<TFreezeThread>(*options, MainThreadId());
  if (!made->Started()) return;
  made->SetFreeOnTerminate(false);
  made->SetPriority(rtl::ThreadPriority::Normal);
  std::lock_guard hold(monitorLock);
  if (monitor != nullptr) return;  // another start won meanwhile; `made` is dropped unstarted
  made->Resume();
  monitor = made.release();
}

void StopFreezeMonitor() {
  if (HostIsDevelopmentEnvironment()) return;
  TFreezeThread* ending = nullptr;
  {
    std::lock_guard hold(monitorLock);
    if (monitor == nullptr) return;
    if (InsideHandling() || GetCurrentThreadId() == monitor->ThreadId()) {
      monitor->Terminate();
      monitorStopping = true;
      return;
    }
    ending = std::exchange(monitor, nullptr);
    monitorStopping = false;
  }
  Finish(ending);
}

bool FreezeMonitorRunning() {
  std::lock_guard hold(monitorLock);
  return monitor != nullptr && !monitorStopping;
}

}  // namespace tarvex
