// The process's main window: the one the freeze monitor probes.
#pragma once

#include <windows.h>

namespace tarvex {

// The first visible top-level window without owner of thread `mainThreadId`,
// else the application object's main form when its window exists (a form not
// shown yet); nullptr when there is neither.
HWND FindProcessMainWindow(DWORD mainThreadId);

}  // namespace tarvex
