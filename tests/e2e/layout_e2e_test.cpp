// What the user sees when the program starts, read through the Win32 API.
#include "tests/e2e/calc_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "tests/e2e/pages.h"

namespace {

using e2e::CalcDriver;
using e2e::ChildAt;
using e2e::ClassName;
using e2e::WindowText;

struct Placed {
  int left, top, width, height;
  const wchar_t* className;
  const wchar_t* text;
};

void ExpectPlaced(HWND parent, const Placed& p) {
  HWND control = ChildAt(parent, p.left, p.top);
  ASSERT_NE(control, nullptr) << "nothing at " << p.left << "," << p.top;
  const RECT r = e2e::RectInParent(control);
  EXPECT_EQ(r.right - r.left, p.width) << p.left << "," << p.top;
  EXPECT_EQ(r.bottom - r.top, p.height) << p.left << "," << p.top;
  EXPECT_EQ(ClassName(control), p.className) << p.left << "," << p.top;
  EXPECT_EQ(WindowText(control), p.text) << p.left << "," << p.top;
}

TEST(Layout, MainWindow) {
  CalcDriver calc;
  HWND main = calc.MainWindow();
  EXPECT_EQ(WindowText(main), e2e::kTitle);

  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, 367);
  EXPECT_EQ(client.bottom, 337);

  RECT frame;
  GetWindowRect(main, &frame);
  EXPECT_EQ(frame.left, 0);
  EXPECT_EQ(frame.top, 0);

  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "the window can be resized";
  EXPECT_NE(style & WS_CAPTION, 0);

  // The main window carries the taskbar button; the application's other
  // (hidden) window has no title.
  EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);
  EXPECT_NE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  for (HWND other : calc.OtherTopLevelWindows()) {
    if (ClassName(other) != L"RtlGuiWindow") continue;  // Wine's own helper windows
    EXPECT_FALSE(IsWindowVisible(other));
    EXPECT_EQ(WindowText(other), L"");
  }

  ExpectPlaced(main, {0, 0, 369, 313, WC_TABCONTROLW, L""});
  ExpectPlaced(main, {8, 319, 150, 13, L"Static", L"官方网站：www.zorvik.net"});
  ExpectPlaced(main, {232, 319, 112, 13, L"Static", L"联系QQ：800321654"});
}

TEST(Layout, TabsWithTheFourthPageActive) {
  CalcDriver calc;
  HWND tabs = calc.TabControl();
  ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 4);
  for (const e2e::PageInfo& page : e2e::kPages) {
    EXPECT_EQ(calc.TabCaption(page.index), page.caption);
    HWND window = calc.PageWindow(page.caption);
    ASSERT_NE(window, nullptr) << page.index;
    EXPECT_EQ(IsWindowVisible(window) != FALSE, page.index == 3) << page.index;
  }
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 3);
}

struct PageLayout {
  e2e::PageInfo page;
  const wchar_t* packagePrompt;
  int packagePromptWidth;
  std::vector<const wchar_t*> packages;
  // The five controls in tab order, by role: 'p' packages, 'm' material,
  // 's' Shape, 'b' button, 'r' results.
  const char* tabOrder;
};

void PrintTo(const PageLayout& layout, std::ostream* out) { *out << layout.page.name; }

class PageLayouts : public testing::TestWithParam<PageLayout> {};

TEST_P(PageLayouts, ControlsPlacesListsAndTabOrder) {
  const PageLayout& layout = GetParam();
  CalcDriver calc;
  const e2e::ConverterPage page = calc.SelectPage(layout.page.index, layout.page.caption);

  ExpectPlaced(page.page, {14, 43, layout.packagePromptWidth, 13, L"Static", layout.packagePrompt});
  ExpectPlaced(page.page, {14, 88, 84, 13, L"Static", L"输入素材编号："});
  ExpectPlaced(page.page, {32, 131, 42, 13, L"Static", L"Shape："});
  ExpectPlaced(page.page, {122, 40, 145, 21, L"ComboBox", L""});
  ExpectPlaced(page.page, {122, 85, 121, 21, L"Edit", L""});
  ExpectPlaced(page.page, {122, 128, 121, 21, L"Edit", L""});
  ExpectPlaced(page.page, {80, 165, 75, 25, L"Button", L"转换"});
  ExpectPlaced(page.page, {14, 196, 299, 89, L"Edit", L""});

  // Results: multi-line, editable, no scroll bars.
  const LONG memoStyle = GetWindowLongW(page.results, GWL_STYLE);
  EXPECT_NE(memoStyle & ES_MULTILINE, 0);
  EXPECT_EQ(memoStyle & (ES_READONLY | WS_VSCROLL | WS_HSCROLL), 0);

  std::vector<std::wstring> expected(layout.packages.begin(), layout.packages.end());
  EXPECT_EQ(e2e::ListItems(page.packages), expected);
  EXPECT_EQ(SendMessageW(page.packages, CB_GETCURSEL, 0, 0), CB_ERR) << "an entry is selected";

  auto byRole = [&page](char role) {
    switch (role) {
      case 'p': return page.packages;
      case 'm': return page.material;
      case 's': return page.shape;
      case 'b': return page.convert;
      default: return page.results;
    }
  };
  for (int i = 0; i + 1 < 5; ++i) {
    HWND next = GetNextDlgTabItem(calc.MainWindow(), byRole(layout.tabOrder[i]), FALSE);
    EXPECT_EQ(next, byRole(layout.tabOrder[i + 1])) << "after " << layout.tabOrder[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, PageLayouts, testing::Values(
    PageLayout{e2e::kClothingPage, L"选择衣服图包：", 84,
               {L"Human1", L"Human2", L"Human3", L"Human4", L"Human5", L"Human6", L"Human7", L"Human8", L"Human9"},
               "pmrbs"},
    PageLayout{e2e::kWeaponsPage, L"选择武器图包：", 84,
               {L"weapon1", L"weapon2", L"weapon3", L"weapon4", L"weapon5", L"weapon6", L"weapon7", L"weapon8",
                L"weapon9"},
               "smpbr"},
    PageLayout{e2e::kNpcPage, L"选择PNC图包：", 80, {L"npc1", L"npc2"}, "smpbr"},
    PageLayout{e2e::kMonsterPage, L"选择怪物图包：", 84,
               {L"monster1", L"monster2", L"monster3", L"monster4", L"monster5", L"monster6", L"monster7",
                L"monster8", L"monster9"},
               "smpbr"}),
    [](const testing::TestParamInfo<PageLayout>& info) { return std::string(info.param.page.name); });

}  // namespace
