#include "crashreport/dialogs/simple/simple_dialog_win.h"

#include <windows.h>

#include <memory>

#include "crashreport/base/options/options.h"
#include "crashreport/base/options/option_types.h"
#include "crashreport/base/util/text_case.h"
#include "crashreport/dialogs/common/dialog_look_win.h"
#include "crashreport/dialogs/common/dialog_text_rules.h"
#include "crashreport/dialogs/settings/settings_file_win.h"
#include "crashreport/dialogs/simple/simple_dialog_layout.h"

namespace tarvex {
namespace {

enum : UINT_PTR { kPaintCheckTimer = 1, kAutoCloseTimer = 2, kStayInFrontTimer = 3 };

class TSimpleDialog {
 public:
  explicit TSimpleDialog(TDialogSession& session) : session_(session), options_(*session.Options) {}

  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Start();
  void SetTexts();
  void LayOut();
  void Paint();
  void Command(int id, int code);
  void Cancel();
  void Finish();
  void End();
  bool OverLink(POINT client) const { return linkVisible_ && PtInRect(&link_, client); }

  TDialogSession& session_;
  TTarvexModuleOptions& options_;
  HWND dialog_ = nullptr;
  TSimpleDialogContent content_;
  std::unique_ptr<TDialogFonts> fonts_;
  HBITMAP bitmap_ = nullptr;
  HBRUSH white_ = nullptr;
  RECT link_{};
  bool linkVisible_ = false;
  bool offered_ = false;
  bool topmost_ = false;
  bool cancelled_ = false;
  TStayInFront stayInFront_;
  TAutoClose autoClose_;
};

void Show(HWND dialog, int id, const TControlRect& rect) {
  HWND control = GetDlgItem(dialog, id);
  ShowWindow(control, rect.visible ? SW_SHOW : SW_HIDE);
  EnableWindow(control, rect.visible);
  if (rect.visible) MoveWindow(control, rect.left, rect.top, rect.width, rect.height, FALSE);
}

void TSimpleDialog::Start() {
  // A normal caption instead of the template's small tool-window one.
  SetWindowLongA(dialog_, GWL_EXSTYLE, GetWindowLongA(dialog_, GWL_EXSTYLE) & ~WS_EX_TOOLWINDOW);
  topmost_ = (options_.DialogFlags() & dfTopmost) != 0;
  if (topmost_) MakeTopmost(dialog_, true);
  fonts_ = std::make_unique<TDialogFonts>();
  bitmap_ = static_cast<HBITMAP>(LoadImageA(DialogResourceModule(), "VX_Error", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  white_ = CreateSolidBrush(RGB(255, 255, 255));

  offered_ = SendingOffered(options_, session_.IsDuplicate);
  content_ = SimpleDialogContent(options_, session_.ShownMessage, session_.IsDuplicate, session_.ExceptionCount);
  SetTexts();
  SetDlgItemTextA(dialog_, idReproduceBox, options_.ReproductionSteps().c_str());
  SetDlgItemTextA(dialog_, idEmailBox, TSettingsFile().ReadString("User", "Email").c_str());
  LayOut();

  HWND defaultButton = GetDlgItem(dialog_, offered_ ? idSendButton : idDontSendButton);
  SendMessageA(dialog_, DM_SETDEFID, offered_ ? idSendButton : idDontSendButton, 0);
  SetFocus(defaultButton);

  // Visible before the paint check can run: a dialog that is shown paints
  // before any timer message arrives.
  ShowWindow(dialog_, SW_SHOW);
  SetTimer(dialog_, kPaintCheckTimer, 1, nullptr);
  autoClose_.Start(dialog_, kAutoCloseTimer, options_.DialogAutoCloseSeconds());
  stayInFront_.Start(dialog_);
  SetTimer(dialog_, kStayInFrontTimer, 10, nullptr);
}

void TSimpleDialog::SetTexts() {
  SetWindowTextA(dialog_, content_.caption.c_str());
  const struct {
    int id;
    const std::string& text;
    HFONT font;
  } texts[] = {
      {idHeadline, content_.headline, fonts_->bold},         {idMessage, content_.message, fonts_->normal},
      {idRestartBox, content_.restartText, fonts_->normal},  {idRequestTitle, content_.requestTitle, fonts_->bold},
      {idRequestText, content_.requestText, fonts_->normal}, {idDetailsLead, content_.detailsLead, fonts_->normal},
      {idReproduceLabel, content_.reproduceLabel, fonts_->normal},
      {idEmailLabel, content_.emailLabel, fonts_->normal},   {idSendButton, content_.sendText, fonts_->normal},
      {idDontSendButton, content_.dontSendText, fonts_->normal}, {idHelpButton, content_.helpText, fonts_->normal},
  };
  for (const auto& t : texts) {
    SetDlgItemTextA(dialog_, t.id, t.text.c_str());
    SendDlgItemMessageA(dialog_, t.id, WM_SETFONT, reinterpret_cast<WPARAM>(t.font), FALSE);
  }
  for (int id : {idReproduceBox, idEmailBox}) {
    SendDlgItemMessageA(dialog_, id, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->normal), FALSE);
  }
}

void TSimpleDialog::LayOut() {
  TTextMeter meter(dialog_);
  TSimpleDialogMetrics metrics;
  metrics.lineHeight = meter.LineHeight(fonts_->normal);
  metrics.boldLineHeight = meter.LineHeight(fonts_->bold);
  metrics.borderWidth = GetSystemMetrics(SM_CXEDGE);
  RECT window{}, client{};
  GetWindowRect(dialog_, &window);
  GetClientRect(dialog_, &client);
  metrics.frameAndCaptionHeight = (window.bottom - window.top) - client.bottom;
  metrics.normalWidth = [&](std::string_view text) { return meter.Width(fonts_->normal, std::string(text)); };
  metrics.boldWidth = [&](std::string_view text) { return meter.Width(fonts_->bold, std::string(text)); };
  metrics.underlinedWidth = [&](std::string_view text) { return meter.Width(fonts_->underlined, std::string(text)); };
  metrics.charLength = SystemCharLength;
  const TSimpleDialogLayout layout = LayOutSimpleDialog(content_, metrics);

  const struct {
    int id;
    const TControlRect& rect;
  } controls[] = {
      {idHeadline, layout.headline},         {idMessage, layout.message},
      {idRestartBox, layout.restartBox},     {idRequestTitle, layout.requestTitle},
      {idRequestText, layout.requestText},   {idDetailsLead, layout.detailsLead},
      {idReproduceLabel, layout.reproduceLabel}, {idReproduceBox, layout.reproduceBox},
      {idEmailLabel, layout.emailLabel},     {idEmailBox, layout.emailBox},
      {idSendButton, layout.sendButton},     {idDontSendButton, layout.dontSendButton},
      {idHelpButton, layout.helpButton},
  };
  for (const auto& c : controls) Show(dialog_, c.id, c.rect);
  linkVisible_ = layout.link.visible;
  link_ = {layout.link.left, layout.link.top, layout.link.Right(), layout.link.Bottom()};

  SetWindowPos(dialog_, nullptr, 0, 0, layout.windowWidth + (window.right - window.left) - client.right,
               layout.windowHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreOn(dialog_, PlacementRectangle());
}

void TSimpleDialog::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog_, &paint);
  const HGDIOBJ oldBrush = SelectObject(dc, white_);
  const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  Rectangle(dc, 0, 0, kBandRight, kBandHeight);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DrawTransparentBitmap(dc, bitmap_, kErrorBitmapLeft, kErrorBitmapTop);
  if (linkVisible_) {
    const HGDIOBJ oldFont = SelectObject(dc, fonts_->underlined);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 255));
    TextOutA(dc, link_.left, link_.top, content_.linkText.c_str(), static_cast<int>(content_.linkText.size()));
    SelectObject(dc, oldFont);
  }
  EndPaint(dialog_, &paint);
  session_.Shown = true;
}

void TSimpleDialog::Command(int id, int code) {
  autoClose_.Restart();
  switch (id) {
    case idSendButton:
      session_.Send = true;
      Finish();
      break;
    case idDontSendButton:
      if (offered_) session_.Send = false;
      Finish();
      break;
    case idHelpButton:
      if (session_.OnCustomButton) session_.OnCustomButton();
      break;
    case IDCANCEL:
      Cancel();
      break;
    case idMessage:
    case idReproduceBox:
      // Escape held while one of these boxes loses the focus cancels, as Escape does elsewhere.
      if (code == EN_KILLFOCUS && (GetAsyncKeyState(VK_ESCAPE) & 0x8000)) Cancel();
      break;
    default:
      break;
  }
}

void TSimpleDialog::Cancel() {
  session_.Send = false;
  cancelled_ = true;
  session_.Cancelled = true;
  session_.Kind = dkNone;
  Finish();
}

void TSimpleDialog::Finish() {
  const std::string email(TrimText(ControlText(dialog_, idEmailBox)));
  switch (ClassifyEmailEntry(email)) {
    case TEmailEntry::Invalid:
      MessageBoxA(dialog_, options_.Text(mtInvalidEmail).c_str(), options_.Text(mtError).c_str(), MB_OK | MB_ICONERROR);
      return;  // the dialog stays open
    case TEmailEntry::Valid:
      session_.UserEmail = email;
      if (session_.Report) session_.Report->SetUserEmail(email);
      TSettingsFile().WriteString("User", "Email", email);
      break;
    case TEmailEntry::Empty:
      break;
  }
  options_.SetReproductionSteps(std::string(TrimText(ControlText(dialog_, idReproduceBox))));
  if (!cancelled_ && !session_.TerminateRequested) {
    session_.TerminateRequested = IsDlgButtonChecked(dialog_, idRestartBox) == BST_CHECKED;
  } else if (cancelled_) {
    session_.TerminateRequested = false;
  }
  if (session_.Kind != dkDetailed) session_.Kind = dkNone;  // no other dialog follows
  End();
}

void TSimpleDialog::End() {
  autoClose_.Stop();
  EndDialog(dialog_, 0);
}

INT_PTR TSimpleDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == idHeadline) {
        SetBkMode(dc, TRANSPARENT);  // over the white band
        return reinterpret_cast<INT_PTR>(white_);
      }
      return FALSE;
    }
    case WM_SETCURSOR: {
      POINT cursor;
      GetCursorPos(&cursor);
      ScreenToClient(dialog_, &cursor);
      if (OverLink(cursor)) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        SetWindowLongPtrA(dialog_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    }
    case WM_LBUTTONUP: {
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (OverLink(at)) {
        session_.Kind = dkDetailed;
        Finish();
      }
      return TRUE;
    }
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      session_.Kind = dkNone;
      Finish();
      return TRUE;
    case WM_TIMER:
      if (wParam == kPaintCheckTimer) {
        KillTimer(dialog_, kPaintCheckTimer);
        if (!session_.Shown) End();  // cannot be seen (hidden desktop): nothing was shown
      } else if (wParam == kAutoCloseTimer) {
        if (autoClose_.Tick()) SendMessageA(dialog_, WM_CLOSE, 0, 0);
      } else if (wParam == kStayInFrontTimer) {
        stayInFront_.Check(topmost_);
      }
      return TRUE;
    case WM_DESTROY:
      autoClose_.Stop();
      KillTimer(dialog_, kStayInFrontTimer);
      if (bitmap_) DeleteObject(bitmap_);
      if (white_) DeleteObject(white_);
      fonts_.reset();
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK TSimpleDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<TSimpleDialog*>(lParam);
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    self->dialog_ = dialog;
    self->Start();
    return FALSE;  // the focus is set
  }
  auto* self = reinterpret_cast<TSimpleDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  return self ? self->Handle(message, wParam, lParam) : FALSE;
}

}  // namespace

void RunSimpleDialog(TDialogSession& session) {
  session.Shown = false;
  TSimpleDialog dialog(session);
  const INT_PTR result = DialogBoxParamA(DialogResourceModule(), "VX_MS_DIALOG", nullptr, &TSimpleDialog::Procedure,
                                         reinterpret_cast<LPARAM>(&dialog));
  if (result == -1) session.Shown = false;  // no window could be made
  if (!session.Shown) session.Kind = dkNone;
}

}  // namespace tarvex
