#include "crashreport/pipeline/monitors/main_window_win.h"

#include "gui/application.h"

namespace tarvex {

namespace {

BOOL CALLBACK TakeMainWindow(HWND window, LPARAM found) {
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

HWND MainFormWindow() {
  // The main form is set once, by the main thread, before its window is
  // shown; a monitor that reads it a moment early finds no form and looks
  // at the thread's windows instead.
  const rtl::gui::Form* form = rtl::gui::TheApplication().MainForm();
  const HWND window = form != nullptr ? form->Handle() : nullptr;
  return window != nullptr && IsWindow(window) ? window : nullptr;
}

}  // namespace

HWND FindProcessMainWindow(DWORD mainThreadId) {
  HWND found = nullptr;
  EnumThreadWindows(mainThreadId, TakeMainWindow, reinterpret_cast<LPARAM>(&found));
  return found != nullptr ? found : MainFormWindow();
}

}  // namespace tarvex
