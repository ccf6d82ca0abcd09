#include "gui/std_controls.h"

#include <string>

namespace rtl::gui {

namespace {

constexpr int kDropDownRows = 8;

}  // namespace

void ClickableControl::Notify(UINT code) {
  if (code == clickCode_ && OnClick) OnClick();
}

Label::Label() : ClickableControl(STN_CLICKED) {}

void Label::Create(const Control& parent, const Bounds& bounds, std::wstring_view caption) {
  CreateChild(parent, {L"STATIC", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0}, bounds, caption);
}

Button::Button() : ClickableControl(BN_CLICKED) {}

void Button::Create(const Control& parent, const Bounds& bounds, std::wstring_view caption) {
  CreateChild(parent, {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0}, bounds, caption);
}

void Edit::Create(const Control& parent, const Bounds& bounds) {
  CreateChild(parent, {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE}, bounds, L"");
}

void Memo::Create(const Control& parent, const Bounds& bounds) {
  CreateChild(parent, {L"EDIT", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE},
              bounds, L"");
}

void Memo::AppendLine(std::wstring_view line) {
  const std::wstring existing = Text();
  std::wstring added;
  if (!existing.empty() && !existing.ends_with(L"\r\n")) added = L"\r\n";
  added += line;
  const auto end = static_cast<WPARAM>(existing.size());
  SendMessageW(Handle(), EM_SETSEL, end, static_cast<LPARAM>(end));
  SendMessageW(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
}

void ComboBox::Create(const Control& parent, const Bounds& bounds) {
  // The window's height includes the dropped-down list; the closed box gets
  // the requested height through the height of its edit field (the field plus
  // a 3-pixel frame above and below).
  Bounds withList = bounds;
  withList.height += kDropDownRows * bounds.height;
  CreateChild(parent, {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0}, withList, L"");
  SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), bounds.height - 6);
}

void ComboBox::AddItem(std::wstring_view item) {
  SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(item).c_str()));
}

int ComboBox::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

}  // namespace rtl::gui
