// Handling the calling thread's pending window messages while it does a long
// job of its own, so that windows it owns stay responsive.
#pragma once

namespace tarvex {

// Dispatches the messages that wait in this thread's queue. A quit message is
// taken out and posted again without being dispatched, and ends the pumping:
// the program's own loop still sees it.
void PumpPendingMessages();

}  // namespace tarvex
