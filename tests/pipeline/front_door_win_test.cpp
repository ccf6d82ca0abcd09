#include "crashreport/pipeline/threads/front_door_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "crashreport/pipeline/threads/handler_state_win.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;

const TFrontDoorState kInstalled{true};

class Recorder : public TExceptionProcessor {
 public:
  std::function<void(const TCaptureInfo&)> body;
  std::atomic<int> calls{0};
  std::atomic<bool> dialogShowing{false};
  bool result = false;
  bool ProcessException(const TCaptureInfo& capture) override {
    ++calls;
    if (body) body(capture);
    return result;
  }
  bool DialogShowing() const override { return dialogShowing; }
};

TCaptureInfo Capture(const rtl::Exception& e) {
  TCaptureInfo capture;
  capture.Object = &e;
  capture.Address = 0x401000;
  return capture;
}

TEST(FrontDoor, HandlesOnItsOwnThreadAndRunsEventsInTheRaisingThread) {
  const rtl::EConvertError error("bad");
  Recorder recorder;
  recorder.result = true;
  const DWORD raising = GetCurrentThreadId();
  DWORD handlerThread = 0, eventThread = 0, capturedThread = 0;
  bool inHandlerOnHandlerThread = false;
  recorder.body = [&](const TCaptureInfo& capture) {
    handlerThread = GetCurrentThreadId();
    capturedThread = capture.ThreadId;
    inHandlerOnHandlerThread = ThreadGuardSet(tgInHandler);
    CallInRaisingThread([&] { eventThread = GetCurrentThreadId(); });
  };
  EXPECT_TRUE(EnterHandling(Capture(error), kInstalled, recorder));
  EXPECT_EQ(recorder.calls, 1);
  EXPECT_NE(handlerThread, raising);
  EXPECT_NE(handlerThread, 0u);
  EXPECT_EQ(capturedThread, raising);
  EXPECT_EQ(eventThread, raising);
  EXPECT_TRUE(inHandlerOnHandlerThread);
  EXPECT_FALSE(ThreadGuardSet(tgInHandler)) << "cleared on the way out";
  EXPECT_FALSE(IsThreadExcluded(handlerThread)) << "the handler thread is excluded only while it runs";
}

TEST(FrontDoor, AnExceptionInsideAnEventHandlerIsDroppedWithoutRecursion) {
  const rtl::EConvertError first("first"), second("second");
  Recorder recorder;
  bool nestedResult = true;
  recorder.body = [&](const TCaptureInfo&) {
    CallInRaisingThread([&] { nestedResult = EnterHandling(Capture(second), kInstalled, recorder); });
  };
  EXPECT_FALSE(EnterHandling(Capture(first), kInstalled, recorder));
  EXPECT_EQ(recorder.calls, 1);
  EXPECT_FALSE(nestedResult);
}

// Counts the posted messages it is given.
std::atomic<int> postedSeen{0};
LRESULT CALLBACK CountingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) ++postedSeen;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(FrontDoor, TheWaitingMainThreadAnswersSentMessagesButTakesPostedOnesOnlyWhileTheDialogIsUp) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = CountingWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "FrontDoorCounting";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "raising", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  const DWORD previousMain = MainThreadId();
  SetMainThreadId(GetCurrentThreadId());
  postedSeen = 0;

  const rtl::EConvertError error("x");
  Recorder recorder;
  bool answered = false;
  int postedBeforeDialog = -1;
  bool postedWhileDialog = false;
  recorder.body = [&](const TCaptureInfo&) {
    PostMessageA(window, WM_APP, 0, 0);  // a click or a close: it waits for the dialog
    DWORD_PTR length = 0;
    answered = SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 60000, &length) != 0 && length == 7;
    postedBeforeDialog = postedSeen;
    recorder.dialogShowing = true;
    for (int i = 0; i < 6000 && postedSeen == 0; ++i) Sleep(10);
    postedWhileDialog = postedSeen == 1;
    recorder.dialogShowing = false;
  };
  EnterHandling(Capture(error), kInstalled, recorder);
  SetMainThreadId(previousMain);
  DestroyWindow(window);
  EXPECT_TRUE(answered) << "the handler thread's SendMessage to the raising thread's window waited in vain";
  EXPECT_EQ(postedBeforeDialog, 0) << "a posted message was taken before the dialog was up";
  EXPECT_TRUE(postedWhileDialog);
}

TEST(FrontDoor, WhatIsNeverHandled) {
  const rtl::EAbort abort("stop");
  const rtl::EConvertError error("x");
  const rtl::EConvertError safecall("[SafeCall Exception]: x");
  Recorder recorder;
  struct Case {
    const char* what;
    const rtl::Exception& exception;
    TFrontDoorState state;
    bool expected;
  };
  const Case cases[] = {
      {"EAbort: ordinary handling", abort, kInstalled, true},
      {"not installed", error, {false}, true},
      {"options not active", error, {true, false}, true},
      {"safecall text without the option is dropped", safecall, kInstalled, false},
  };
  for (const Case& c : cases) EXPECT_EQ(EnterHandling(Capture(c.exception), c.state, recorder), c.expected) << c.what;
  EXPECT_EQ(recorder.calls, 0);
  EXPECT_FALSE(IsManageable(&abort));
  EXPECT_FALSE(IsManageable(nullptr));
  EXPECT_TRUE(IsManageable(&error));
}

TEST(FrontDoor, InCurrentThreadWhenNoThreadMayStart) {
  const rtl::EConvertError error("x");
  Recorder recorder;
  DWORD where = 0;
  recorder.body = [&](const TCaptureInfo&) { where = GetCurrentThreadId(); };
  TFrontDoorState state = kInstalled;
  state.InCurrentThread = true;
  EnterHandling(Capture(error), state, recorder);
  EXPECT_EQ(where, GetCurrentThreadId());
}

TEST(FrontDoor, EightThreadsAreHandledOneAtATime) {
  constexpr int kThreads = 8;
  const rtl::EAccessViolation error("av");
  Recorder recorder;
  std::atomic<int> active{0}, most{0};
  std::atomic<DWORD> ids[kThreads] = {};
  recorder.body = [&](const TCaptureInfo& capture) {
    const int now = ++active;
    most = std::max(most.load(), now);
    ids[(recorder.calls - 1) % kThreads] = capture.ThreadId;
    Sleep(2);
    --active;
  };
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i)
    threads.emplace_back([&] {
      ++ready;
      while (ready.load() < kThreads) SwitchToThread();
      EnterHandling(Capture(error), kInstalled, recorder);
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(recorder.calls, kThreads);
  EXPECT_EQ(most.load(), 1);
  std::set<DWORD> seen;
  for (const std::atomic<DWORD>& id : ids) seen.insert(id.load());
  EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads)) << "each raising thread handled once";
}

TEST(HandlerState, GuardsAndExcludedThreads) {
  {
    TThreadGuardScope notify(tgInRaiseNotify);
    EXPECT_TRUE(notify.Taken());
    TThreadGuardScope again(tgInRaiseNotify);
    EXPECT_FALSE(again.Taken());
    EXPECT_FALSE(ThreadGuardSet(tgInThreadList));
  }
  EXPECT_FALSE(ThreadGuardSet(tgInRaiseNotify));
  SetLastError(4321);
  EXPECT_FALSE(ThreadGuardSet(tgInHandler));
  EXPECT_EQ(GetLastError(), 4321u) << "reading a guard leaves the last error alone";
  std::atomic<bool> otherSaw{true};
  std::thread([&] { otherSaw = ThreadGuardSet(tgInHandler); }).join();
  EXPECT_FALSE(otherSaw) << "guards are per thread";

  EXPECT_TRUE(ExcludeThread(1234));
  EXPECT_TRUE(IsThreadExcluded(1234));
  IncludeThread(1234);
  EXPECT_FALSE(IsThreadExcluded(1234));
  EXPECT_FALSE(IsThreadExcluded(0));
}

}  // namespace
