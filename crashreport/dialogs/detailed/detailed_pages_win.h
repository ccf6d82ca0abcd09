// The detailed dialog's pages: one child dialog at a time inside the tab
// control, made from its template when its tab is chosen and destroyed when
// another is. List pages read their column widths from the settings when
// made and write them back when destroyed.
#pragma once

#include <windows.h>

#include <memory>

#include "crashreport/base/options/option_types.h"
#include "crashreport/report/composer/bug_report.h"
#include "crashreport/dialogs/common/dialog_look_win.h"
#include "crashreport/dialogs/detailed/rtf_pages.h"

namespace tarvex {

class TSettingsFile;
class TTarvexModuleOptions;

// What every page shows, and with which font.
struct PageSources {
  const TTarvexModuleOptions* options = nullptr;
  const BugReport* report = nullptr;
  const ReportFacts* facts = nullptr;  // may be null: the lists are then empty
  const TSettingsFile* settings = nullptr;
  RtfFont font;
  HFONT contentFont = nullptr;  // the monospace face for the lists
  int dumpTabTwips = 0;
};

class DetailedPage {
 public:
  // The page of `kind` as a child of the tab control; nullptr when it cannot be made.
  static std::unique_ptr<DetailedPage> Create(HWND tabs, TTarvexDetailTab kind, const PageSources& sources);
  ~DetailedPage();
  DetailedPage(const DetailedPage&) = delete;
  DetailedPage& operator=(const DetailedPage&) = delete;

  HWND Handle() const { return window_; }
  // Fills the tab control's display area.
  void Place();

 private:
  struct State;
  DetailedPage(TTarvexDetailTab kind, const PageSources& sources);
  static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Fill();
  // A Call Stack row was activated (double click or Enter): its entry goes
  // to the development environments listening for it.
  void ActivateRow(int item);
  void SaveColumnWidths();

  TTarvexDetailTab kind_;
  PageSources sources_;
  HWND window_ = nullptr;
  std::unique_ptr<State> state_;
};

}  // namespace tarvex
