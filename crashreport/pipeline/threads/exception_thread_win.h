// The handler thread: the handling runs on its own stack at highest
// priority while the raising thread waits, keeps its window painted and runs
// the event calls the handling posts to it.
#pragma once

#include <windows.h>

#include <functional>

namespace tarvex {

// Stack of the handler thread: the whole handling (stack walks, report, dialogs) runs on it.
inline constexpr SIZE_T kExceptionThreadStack = 1024 * 1024;

struct TWaitRules {
  // Asked every round: pump the message queue now (main thread, dialog up,
  // no stack overflow, main thread not meant to be paused).
  std::function<bool()> PumpMessages;
  // While not pumping: still answer the messages other threads send to this
  // thread's windows (the handler thread reading a window's text, a dialog
  // owned by one of them), which would otherwise wait for the handling to end.
  // Posted messages stay queued.
  bool ServeSentMessages = false;
  // Called when the handler thread ended without finishing the handling (a
  // fault inside it ended the thread).
  std::function<void()> Abandoned;
};

// Runs `handling` in a new thread (a TExceptionThread) and waits for it,
// running the event calls it hands over as they come; returns its result. When the thread cannot be started,
// the handling runs here. A failed wait ends the handler thread and gives false.
bool RunInExceptionThread(const std::function<bool()>& handling, const TWaitRules& rules);

// One round of the waiting thread's message pump (at most 11 messages, by
// the pump rules). Returns false when dispatching raised an exception: the
// caller then stops pumping for the rest of the handling.
bool PumpWaitingMessages();

// Answers the messages sent to this thread, leaving posted ones queued.
// Returns false when a window procedure raised an exception.
bool ServeSentMessages();

}  // namespace tarvex
