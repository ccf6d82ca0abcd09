// A tab control whose tabs switch between pages of controls.
#pragma once

#include <string_view>
#include <vector>

#include "gui/control.h"

namespace rtl::gui {

// One page: a window in the tab control's display area, parent of the page's
// controls. Its window text is the tab's caption.
class TabSheet : public Window {
  friend class PageControl;
};

class PageControl : public Control {
 public:
  void Create(const Control& parent, const Bounds& bounds);

  // Adds a tab with this caption and makes `sheet` its page.
  void AddSheet(TabSheet& sheet, std::wstring_view caption);

  int ActivePageIndex() const;
  void SetActivePageIndex(int index);

  void Notify(UINT code) override;

 private:
  void ShowActivePage();

  std::vector<TabSheet*> sheets_;
};

}  // namespace rtl::gui
