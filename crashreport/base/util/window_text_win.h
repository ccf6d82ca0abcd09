// A window's text read without waiting on the window's thread: GetWindowText
// sends WM_GETTEXT to a window of another thread of this process, and a hung
// thread (the very one a freeze report is about) never answers.
#pragma once

#include <windows.h>

#include <string>

namespace tarvex {

// At most `limit` characters, in the system's code page. The calling thread's
// own windows answer as usual; another thread's window gives the text the
// system keeps for it (its caption), without any message.
std::string WindowTextWithoutWaiting(HWND window, int limit);

}  // namespace tarvex
