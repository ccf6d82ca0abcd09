// The freeze monitor in a real process. The test's main thread owns a window
// and pumps its messages; a driver thread plays the test: it posts the window
// a message on which the main thread runs HoldMainThread until the driver
// releases it, and it waits for the reports the notify handler signals.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "crashreport/base/util/window_text_win.h"
#include "crashreport/pipeline/handling/exception_handling.h"
#include "crashreport/pipeline/monitors/freeze_monitor_win.h"
#include "crashreport/pipeline/services/live_report_builder_win.h"
#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/startup/tarvexlog_startup_win.h"
#include "rtl/exception.h"
#include "tests/pipeline/recording_parts.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing_parts;

constexpr DWORD kWaitLimit = 120000;  // emulated Wine is slow; every wait ends on an event
constexpr DWORD kPeriodMs = 2000;     // FreezeSeconds in freeze_monitor_win_test.options
constexpr DWORD kTickGrain = 20;      // GetTickCount moves in steps of 10 to 16 ms
constexpr UINT kHoldMessage = WM_APP + 1;
constexpr UINT kQuitMessage = WM_APP + 2;
constexpr UINT kDestroyMessage = WM_APP + 3;
constexpr UINT kPingMessage = WM_APP + 4;        // to the thread: it answers through `answered`
constexpr UINT kMakeWindowMessage = WM_APP + 5;  // to the thread: a new target window

std::atomic<bool> released{false};
const HANDLE holding = CreateEventA(nullptr, FALSE, FALSE, nullptr);
const HANDLE answered = CreateEventA(nullptr, FALSE, FALSE, nullptr);

// Spins on the driver's flag rather than blocking in a system wait, so that
// the suspended main thread stands in this function's own code.
__attribute__((noinline)) void HoldMainThread() {
  SetEvent(holding);
  while (!released.load(std::memory_order_acquire)) __builtin_ia32_pause();
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kDestroyMessage: DestroyWindow(window); return 0;
    case kQuitMessage: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

HWND MakeTargetWindow() {
  static const ATOM registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TargetProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "FreezeTarget";
    return RegisterClassA(&windowClass);
  }();
  EXPECT_NE(registered, 0);
  const HWND window = CreateWindowExA(0, "FreezeTarget", "Freeze target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                      200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  // In front: the report reads the foreground window's text while its thread hangs.
  SetForegroundWindow(window);
  return window;
}

struct Report {
  std::string className, message;
  uint32_t address = 0;
  DWORD thread = 0;
  DWORD at = 0;  // GetTickCount: differences only
  std::string text;
};

class FreezeMonitorInProcess : public testing::Test {
 protected:
  void SetUp() override {
    released = false;
    reported_ = CreateSemaphoreA(nullptr, 0, 1000, nullptr);
    parts_.Builder = builder_.get();
    parts_.Dialogs = &recording_.dialogs;
    parts_.Log = &recording_.log;
    parts_.Screenshot = &recording_.screenshot;
    ASSERT_TRUE(StartTarvexLog(parts_));  // the options carried by this program watch for freezes
    ASSERT_TRUE(FreezeMonitorRunning());
    TarvexLogEvents()->ProcedureVariables().OnExceptionNotify = [this](TExceptionInfo& info, bool&) {
      Report report{info.Object ? info.Object->ClassName() : "", info.Object ? info.Object->Message() : "",
                    info.Address, info.ThreadId, GetTickCount(), TarvexLogHandling()->State().LastReport.Text()};
      {
        std::lock_guard hold(reportsLock_);
        reports_.push_back(report);
      }
      ReleaseSemaphore(reported_, 1, nullptr);
    };
    // The console program's report on standard output is not wanted here.
    TarvexLogEvents()->ProcedureVariables().OnExceptionActionNotify = [](TExceptionInfo&, TActionCode code,
                                                                        bool& goOn) {
      if (code == acBeforeDialog) goOn = false;
    };
    window_ = MakeTargetWindow();
    ASSERT_NE(window_, nullptr);
  }

  void TearDown() override {
    StopTarvexLog();
    EXPECT_FALSE(FreezeMonitorRunning());
    if (IsWindow(window_)) DestroyWindow(window_);
    CloseHandle(reported_);
  }

  // Runs `driver` on a thread of its own while this (the main) thread pumps
  // the window's messages; the pumping ends when the driver is done.
  void Drive(const std::function<void()>& driver) {
    mainThread_ = GetCurrentThreadId();
    std::thread driving([&] {
      driver();
      released = true;  // whatever the driver left held
      PostThreadMessageA(mainThread_, WM_QUIT, 0, 0);
    });
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      if (message.hwnd != nullptr) {
        DispatchMessageA(&message);
      } else if (message.message == kHoldMessage) {
        HoldMainThread();
      } else if (message.message == kPingMessage) {
        SetEvent(answered);
      } else if (message.message == kMakeWindowMessage) {
        window_ = MakeTargetWindow();
      }
    }
    driving.join();
  }

  // Driver side: the main thread holds in HoldMainThread once this returns true.
  bool Hold() {
    released = false;
    return PostThreadMessageA(mainThread_, kHoldMessage, 0, 0) &&
           WaitForSingleObject(holding, kWaitLimit) == WAIT_OBJECT_0;
  }
  // Driver side: lets the main thread go and waits until it takes messages again.
  void Release() {
    released = true;
    PostThreadMessageA(mainThread_, kPingMessage, 0, 0);
    WaitForSingleObject(answered, kWaitLimit);
  }
  bool WaitForReport(DWORD limit = kWaitLimit) { return WaitForSingleObject(reported_, limit) == WAIT_OBJECT_0; }

  std::vector<Report> Reports() {
    std::lock_guard hold(reportsLock_);
    return reports_;
  }

  RecordingParts recording_;
  std::unique_ptr<TReportBuilder> builder_ = MakeLiveReportBuilder();
  TTarvexLogParts parts_;
  HWND window_ = nullptr;
  DWORD mainThread_ = 0;
  HANDLE reported_ = nullptr;
  std::mutex reportsLock_;
  std::vector<Report> reports_;  // guarded by reportsLock_
};

void ExpectFrozenMainThread(const Report& report, DWORD mainThread) {
  const auto function = reinterpret_cast<uint32_t>(&HoldMainThread);
  EXPECT_EQ(report.className, "EFrozenApplication");
  EXPECT_EQ(report.message, "The application seems to be frozen.");
  EXPECT_EQ(report.thread, mainThread);
  EXPECT_GE(report.address, function) << "the main thread's instruction lies in the holding function";
  EXPECT_LT(report.address, function + 0x80) << "the main thread's instruction lies in the holding function";
  EXPECT_NE(report.text.find("HoldMainThread"), std::string::npos) << "the stack copy names the function:\n"
                                                                   << report.text;
}

TEST_F(FreezeMonitorInProcess, AShortHangGivesNoReportAndAHeldOneOnePerPeriod) {
  DWORD heldFrom = 0;
  bool held = false, reportedTwice = false;
  Drive([&] {
    held = Hold();
    Release();  // far shorter than the time-out
    heldFrom = GetTickCount();
    held = held && Hold();
    reportedTwice = held && WaitForReport() && WaitForReport();
    Release();
  });
  ASSERT_TRUE(held);
  ASSERT_TRUE(reportedTwice);
  const std::vector<Report> reports = Reports();
  ASSERT_GE(reports.size(), 2u);
  EXPECT_GE(reports[0].at - heldFrom, kPeriodMs - kTickGrain) << "the short hang gave none; the held one after a whole period";
  for (size_t i = 1; i < reports.size(); ++i)
    EXPECT_GE(reports[i].at - reports[i - 1].at, kPeriodMs - kTickGrain) << "one report per period, report " << i;
  for (const Report& report : reports) ExpectFrozenMainThread(report, GetCurrentThreadId());
}

TEST_F(FreezeMonitorInProcess, AHangWithoutWindowGivesNoReportUntilThereIsOneAgain) {
  bool held = false, reportedWithoutWindow = true, reportedWithWindow = false;
  DWORD heldAgainFrom = 0;
  Drive([&] {
    SendMessageA(window_, kDestroyMessage, 0, 0);  // the monitor's next probe finds it gone
    held = Hold();
    // Three periods with no window: the monitor only looks for one.
    reportedWithoutWindow = WaitForReport(3 * kPeriodMs);
    Release();
    PostThreadMessageA(mainThread_, kMakeWindowMessage, 0, 0);
    Release();  // answered after the window was made
    heldAgainFrom = GetTickCount();
    held = held && Hold();
    reportedWithWindow = held && WaitForReport();
    Release();
  });
  ASSERT_TRUE(held);
  EXPECT_FALSE(reportedWithoutWindow);
  ASSERT_TRUE(reportedWithWindow);
  const std::vector<Report> reports = Reports();
  ASSERT_GE(reports.size(), 1u);
  EXPECT_GE(reports[0].at - heldAgainFrom, kPeriodMs - kTickGrain);
  ExpectFrozenMainThread(reports[0], GetCurrentThreadId());
}

TEST(WindowTextWithoutWaiting, ReadsAHungThreadsWindowAndTheCallersOwn) {
  released = false;
  HWND hungWindow = nullptr;
  std::thread hung([&] {
    hungWindow = MakeTargetWindow();
    HoldMainThread();  // takes no message from here on
    DestroyWindow(hungWindow);
  });
  ASSERT_EQ(WaitForSingleObject(holding, kWaitLimit), WAIT_OBJECT_0);
  EXPECT_EQ(WindowTextWithoutWaiting(hungWindow, 255), "Freeze target");
  EXPECT_EQ(WindowTextWithoutWaiting(hungWindow, 6), "Freeze");
  released = true;
  hung.join();

  const HWND own = MakeTargetWindow();
  SetWindowTextA(own, "Own window");
  EXPECT_EQ(WindowTextWithoutWaiting(own, 255), "Own window");
  EXPECT_EQ(WindowTextWithoutWaiting(nullptr, 255), "");
  DestroyWindow(own);
}

}  // namespace
