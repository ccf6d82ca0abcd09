#include "crashreport/dialogs/request/request_dialog_win.h"

#include <windows.h>

#include <memory>

#include "crashreport/base/options/options.h"
#include "crashreport/base/util/text_case.h"
#include "crashreport/dialogs/common/dialog_look_win.h"
#include "crashreport/dialogs/common/dialog_text_rules.h"
#include "crashreport/dialogs/request/request_layout.h"

namespace tarvex {
namespace {

constexpr UINT_PTR kAutoCloseTimer = 1;

struct TRequestDialog {
  explicit TRequestDialog(TTarvexModuleOptions& requestOptions) : options(requestOptions) {}

  TTarvexModuleOptions& options;
  HWND dialog = nullptr;
  std::unique_ptr<TDialogFonts> fonts;
  TAutoClose autoClose;

  void Start() {
    fonts = std::make_unique<TDialogFonts>();
    SetWindowTextA(dialog, options.Text(mtRequest).c_str());
    const std::string question = options.Text(mtDescribeSteps);
    SetDlgItemTextA(dialog, idRequestQuestion, question.c_str());
    SetDlgItemTextA(dialog, idRequestOk, options.Text(mtRequestOk).c_str());
    SetDlgItemTextA(dialog, idRequestAnswer, options.ReproductionSteps().c_str());
    for (int id : {idRequestQuestion, idRequestAnswer, idRequestOk}) {
      SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(fonts->normal), FALSE);
    }
    LayOut(question);
    autoClose.Start(dialog, kAutoCloseTimer, options.DialogAutoCloseSeconds());
    CentreOn(dialog, PlacementRectangle());
    MakeTopmost(dialog, true);
  }

  void LayOut(const std::string& question) {
    RECT window{};
    GetWindowRect(dialog, &window);
    const int width = window.right - window.left;
    TTextMeter meter(dialog);
    const int lineHeight = meter.LineHeight(fonts->normal);
    const int lines = WrappedLineCount(question, RequestContentWidth(width), [&](std::string_view text) {
      return meter.Width(fonts->normal, std::string(text));
    }, SystemCharLength);
    const TRequestLayout layout = LayOutRequestDialog(width, window.bottom - window.top, lines * lineHeight);
    SetWindowPos(dialog, nullptr, 0, 0, width, layout.windowHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& [id, rect] : {std::pair{idRequestQuestion, layout.question}, std::pair{idRequestAnswer, layout.answer},
                                   std::pair{idRequestOk, layout.okButton}}) {
      MoveWindow(GetDlgItem(dialog, id), rect.left, rect.top, rect.width, rect.height, FALSE);
    }
  }

  void End() {
    options.SetReproductionSteps(std::string(TrimText(ControlText(dialog, idRequestAnswer))));
    autoClose.Stop();
    EndDialog(dialog, 1);
  }

  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      auto* self = reinterpret_cast<TRequestDialog*>(lParam);
      self->dialog = dialog;
      self->Start();
      return TRUE;
    }
    auto* self = reinterpret_cast<TRequestDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
      case WM_COMMAND:
        self->autoClose.Restart();
        // The OK button is control 2: it, Escape and the close box all end the dialog.
        if (LOWORD(wParam) == idRequestOk) self->End();
        return TRUE;
      case WM_NOTIFY:
        self->autoClose.Restart();
        return FALSE;
      case WM_TIMER:
        if (wParam == kAutoCloseTimer && self->autoClose.Tick()) SendMessageA(dialog, WM_CLOSE, 0, 0);
        return TRUE;
      case WM_DESTROY:
        self->autoClose.Stop();
        MakeTopmost(dialog, false);
        self->fonts.reset();
        return FALSE;
      default:
        return FALSE;
    }
  }
};

}  // namespace

bool ShowRequestDialog(TTarvexModuleOptions& options) {
  if ((options.LogFlags() & lfAskReproduceSteps) == 0) return false;
  TRequestDialog request(options);
  return DialogBoxParamA(DialogResourceModule(), "VX_Request", nullptr, &TRequestDialog::Procedure,
                         reinterpret_cast<LPARAM>(&request)) == 1;
}

}  // namespace tarvex
