// The standard controls the program uses: label, edit, drop-down combo box,
// multi-line edit and button.
#pragma once

#include <functional>
#include <string_view>

#include "gui/control.h"

namespace rtl::gui {

// A control that reports clicks: OnClick runs when the user clicks it.
class ClickableControl : public Control {
 public:
  std::function<void()> OnClick;

 protected:
  explicit ClickableControl(UINT clickCode) : clickCode_(clickCode) {}
  void Notify(UINT code) override;

 private:
  UINT clickCode_;
};

// Static text; clicks on it run OnClick.
class Label : public ClickableControl {
 public:
  Label();
  void Create(const Control& parent, const Bounds& bounds, std::wstring_view caption);
};

class Button : public ClickableControl {
 public:
  Button();
  void Create(const Control& parent, const Bounds& bounds, std::wstring_view caption);
};

// Single-line edit.
class Edit : public Control {
 public:
  void Create(const Control& parent, const Bounds& bounds);
};

// Multi-line edit without scroll bars; the user may edit its text.
class Memo : public Control {
 public:
  void Create(const Control& parent, const Bounds& bounds);
  // Adds a line after the existing ones.
  void AppendLine(std::wstring_view line);
};

// Drop-down combo box: an edit with a list of entries.
class ComboBox : public Control {
 public:
  // bounds.height is the height of the closed box.
  void Create(const Control& parent, const Bounds& bounds);
  void AddItem(std::wstring_view item);
  // The selected entry: 0 for the first, -1 when none is selected.
  int ItemIndex() const;
};

}  // namespace rtl::gui
