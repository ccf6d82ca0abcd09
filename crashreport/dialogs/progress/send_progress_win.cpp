#include "crashreport/dialogs/progress/send_progress_win.h"

#include <commctrl.h>

#include <atomic>
#include <memory>

#include "crashreport/base/options/options.h"
#include "crashreport/dialogs/common/dialog_look_win.h"
#include "crashreport/dialogs/common/message_pump_win.h"
#include "crashreport/dialogs/progress/progress_rules.h"

namespace tarvex {
namespace {

enum : int { idStatus = 100, idBar = 101 };
constexpr UINT kCloseMessage = WM_USER + 1234;
constexpr UINT kReadyMessage = WM_APP + 1;  // posted at creation: the dialog's loop runs
constexpr DWORD kReadyPoll = 50;

// The one progress dialog's state, shared by the dialog's thread and the delivery's.
struct ProgressState {
  // Written by the dialog's thread, read by the delivery's.
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> ready{false}, painted{false}, failed{false};
  // The delivery's thread alone.
  int messageIndex = 0, messageCount = 0;
  int position = 0;
  // Written by OpenProgress before it starts the dialog's thread (the start
  // orders them before that thread's reads), then only read; the dialog's
  // thread stores the same topMost again when it starts.
  bool inlineDialog = false;
  bool topMost = false;
  std::string caption, messageText;
};

ProgressState& State() {
  static ProgressState state;
  return state;
}

// The dialog's own resources, freed with its window.
struct ProgressLook {
  TDialogFonts fonts;
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(DialogResourceModule(), "VX_Send", IMAGE_BITMAP, 0, 0, 0));
  ~ProgressLook() {
    if (bitmap) DeleteObject(bitmap);
  }
};

void StartDialog(HWND dialog) {
  ProgressState& state = State();
  auto* look = new ProgressLook;
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(look));
  state.window = dialog;
  SetWindowTextA(dialog, state.caption.c_str());
  SendDlgItemMessageA(dialog, idStatus, WM_SETFONT, reinterpret_cast<WPARAM>(look->fonts.status), FALSE);
  SendDlgItemMessageA(dialog, idBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  if (state.topMost) {
    CentreOn(dialog, PlacementRectangle());
    MakeTopmost(dialog, true);
  } else {
    MoveToBottomRight(dialog, PlacementRectangle());
  }
  PostMessageA(dialog, kReadyMessage, 0, 0);
}

INT_PTR CALLBACK ProgressProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
  ProgressState& state = State();
  auto* look = reinterpret_cast<ProgressLook*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      StartDialog(dialog);
      return TRUE;
    case WM_SETFOCUS:
    case kReadyMessage:
      state.ready = true;
      return FALSE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(dialog, &paint);
      if (look) DrawTransparentBitmap(dc, look->bitmap, 8, 8);
      EndPaint(dialog, &paint);
      state.painted = true;
      return TRUE;
    }
    case kCloseMessage:
      if (state.inlineDialog) {
        DestroyWindow(dialog);
      } else {
        EndDialog(dialog, 1);
      }
      return TRUE;
    case WM_DESTROY:
      if (state.topMost) MakeTopmost(dialog, false);
      delete look;
      SetWindowLongPtrA(dialog, DWLP_USER, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

// Inline, the calling thread owns the dialog: its pending messages are
// handled around each change (a quit message is left for the program's loop).
void PumpInline() {
  if (State().inlineDialog) PumpPendingMessages();
}

// Runs `change` on the open dialog, pumping around it when inline.
template <class Change>
void OnDialog(Change change) {
  HWND window = State().window;
  if (window == nullptr) return;
  PumpInline();
  change(window);
  PumpInline();
}

void ShowText(const std::string& text) {
  OnDialog([&](HWND window) { SendDlgItemMessageA(window, idStatus, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); });
}

void MoveBar(int position) {
  OnDialog([&](HWND window) {
    State().position = position;
    SendDlgItemMessageA(window, idBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  });
}

}  // namespace

HANDLE TSendDialogThread::Start() {
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, &TSendDialogThread::Body, this, CREATE_SUSPENDED, &id);
  if (thread == nullptr) return nullptr;
  SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
  ResumeThread(thread);
  return thread;
}

DWORD WINAPI TSendDialogThread::Body(void* self) {
  std::unique_ptr<TSendDialogThread> owned(static_cast<TSendDialogThread*>(self));  // frees itself at the end
  State().topMost = owned->topMost_;
  if (DialogBoxParamA(DialogResourceModule(), "VX_Server", nullptr, &ProgressProcedure, 0) == -1) {
    State().failed = true;
  }
  return 0;
}

void OpenProgress(const TProgressRequest& request, bool topMost) {
  ProgressState& state = State();
  state.window = nullptr;
  state.ready = state.painted = state.failed = false;
  state.messageIndex = state.messageCount = state.position = 0;
  if (request.Options == nullptr || !ProgressDialogWanted(*request.Options, request.DialogsAllowed)) {
    state.painted = true;
    return;
  }
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  state.caption = request.Options->Text(mtSend);
  state.messageText = request.Options->Text(mtMessage);
  state.inlineDialog = request.Inline;
  state.topMost = topMost;

  if (request.Inline) {
    if (CreateDialogParamA(DialogResourceModule(), "VX_Server", nullptr, &ProgressProcedure, 0) == nullptr) return;
    ShowWindow(state.window, SW_SHOWNOACTIVATE);
    state.ready = true;
    return;
  }
  HANDLE thread = (new TSendDialogThread(topMost))->Start();
  if (thread == nullptr) return;
  // Ready, or the thread ended without a dialog (a missing template).
  while (!state.ready && !state.failed && WaitForSingleObject(thread, kReadyPoll) == WAIT_TIMEOUT) {
  }
  CloseHandle(thread);
}

void SetMessageNumber(int index, int count) {
  State().messageIndex = index;
  State().messageCount = count;
}

void ShowStatus(const std::string& text) {
  const ProgressState& state = State();
  ShowText(NumberedStatus(state.messageText, state.messageIndex, state.messageCount, text));
}

void ShowStatusPlain(const std::string& text) { ShowText(text); }

void SetProgress(int percent) {
  const int position = ForwardPosition(State().position, percent);
  if (position != State().position) MoveBar(position);
}

void ResetProgress() { MoveBar(0); }

void AddProgress(int step) { MoveBar(SteppedPosition(State().position, step)); }

void CloseProgress() {
  OnDialog([](HWND window) { SendMessageA(window, kCloseMessage, 0, 0); });
}

HWND ProgressWindow() { return State().window; }
bool ProgressPainted() { return State().painted; }

}  // namespace tarvex
