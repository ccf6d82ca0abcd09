// Tours the detailed dialog of the calculator's own failure for the
// documentation (scripts/detailed-dialog-screenshots.sh): types "12a" as a
// Shape, follows the details link, and saves the dialog as the screen shows
// it on each page, then collapsed, as 24-bit BMP files:
//
//   detailed_dialog_tour.exe OUTPUT_FOLDER
//
// writes OUTPUT_FOLDER\detailed-<general|callstack|modules|processes|assembler|cpu|collapsed>.bmp.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "crashreport/dialogs/detailed/detailed_dialog_ids.h"
#include "tests/e2e/calc_driver.h"
#include "tests/e2e/crash_dialog_steps.h"
#include "tests/e2e/window_picture.h"

namespace {

const wchar_t* const kPageNames[] = {L"general", L"callstack", L"modules", L"processes", L"assembler", L"cpu"};


int Fail(const char* what) {
  std::fprintf(stderr, "detailed_dialog_tour: %s\n", what);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return Fail("usage: detailed_dialog_tour.exe OUTPUT_FOLDER");
  const std::wstring folder = std::wstring(argv[1]) + L"\\";
  try {
    e2e::CalcDriver calc;
    HWND simple = e2e::FailConversion(calc, L"12a");
    if (simple == nullptr) return Fail("the crash dialog did not appear");
    HWND detailed = e2e::FollowDetailsLink(calc, simple);
    if (detailed == nullptr) return Fail("the detailed dialog did not appear");
    SetForegroundWindow(detailed);
    for (int tab = 0; tab < 6; ++tab) {
      if (e2e::ShowPage(detailed, tab) == nullptr) {
        const std::string page(kPageNames[tab], kPageNames[tab] + wcslen(kPageNames[tab]));
        return Fail(("the page " + page + " of the detailed dialog stayed empty").c_str());
      }
      if (!e2e::SaveWindowPicture(detailed, folder + L"detailed-" + kPageNames[tab] + L".bmp"))
        return Fail("a picture could not be saved");
    }
    HWND tabs = GetDlgItem(detailed, VX_DETAILED_TABS);
    PostMessageW(GetDlgItem(detailed, VX_DETAILED_DETAILS), BM_CLICK, 0, 0);
    if (!e2e::WaitUntil([tabs] { return !IsWindowVisible(tabs); })) return Fail("the dialog did not collapse");
    if (!e2e::SaveWindowPicture(detailed, folder + L"detailed-collapsed.bmp")) return Fail("a picture could not be saved");
    if (!e2e::CloseDetailedWithoutSending(detailed)) return Fail("the dialog did not close");
    calc.CloseAndWait();
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
  return 0;
}
