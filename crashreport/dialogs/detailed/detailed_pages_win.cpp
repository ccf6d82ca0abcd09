#include "crashreport/dialogs/detailed/detailed_pages_win.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <span>
#include <vector>

#include "crashreport/callstack/stack/stack_list.h"
#include "crashreport/base/options/options.h"
#include "crashreport/dialogs/detailed/detailed_dialog_ids.h"
#include "crashreport/dialogs/detailed/dialog_geometry.h"
#include "crashreport/dialogs/detailed/page_rows.h"
#include "crashreport/dialogs/detailed/source_location_win.h"
#include "crashreport/dialogs/listview/list_view_items_win.h"
#include "crashreport/dialogs/settings/settings_file_win.h"

namespace tarvex {

namespace {

struct PageKind {
  const char* templateName;
  TMessageText captionText;
};

// By TTarvexDetailTab.
constexpr PageKind kPageKinds[] = {
    {"VX_TAB_GENERAL", mtGeneralInformation},     {"VX_TAB_CALLSTACK", mtCallStackInformation},
    {"VX_TAB_MODULESLIST", mtModulesInformation}, {"VX_TAB_PROCESSESLIST", mtProcessesInformation},
    {"VX_TAB_ASSEMBLER", mtAssemblerInformation}, {"VX_TAB_CPU", mtCPUInformation},
};

constexpr int kContentLeft = 3, kContentTop = 20;

struct RtfReader {
  const std::string& text;
  size_t offset = 0;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* reader = reinterpret_cast<RtfReader*>(cookie);
  const size_t count = std::min<size_t>(size, reader->text.size() - reader->offset);
  std::copy_n(reader->text.data() + reader->offset, count, buffer);
  reader->offset += count;
  *done = static_cast<LONG>(count);
  return 0;
}

void LoadRtf(HWND richEdit, const std::string& rtf) {
  RtfReader reader{rtf};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&reader), 0, ReadRtf};
  SendMessageA(richEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

std::span<const ColumnSpec> ColumnsOf(TTarvexDetailTab kind) {
  switch (kind) {
    case dtCallStack: return CallStackColumns();
    case dtModules: return ModuleColumns();
    default: return ProcessColumns();
  }
}

bool IsListPage(TTarvexDetailTab kind) { return kind == dtCallStack || kind == dtModules || kind == dtProcesses; }

}  // namespace

struct DetailedPage::State {
  std::unique_ptr<TListViewItems> list;
};

DetailedPage::DetailedPage(TTarvexDetailTab kind, const PageSources& sources)
    : kind_(kind), sources_(sources), state_(std::make_unique<State>()) {}

std::unique_ptr<DetailedPage> DetailedPage::Create(HWND tabs, TTarvexDetailTab kind, const PageSources& sources) {
  std::unique_ptr<DetailedPage> page(new DetailedPage(kind, sources));
  page->window_ = CreateDialogParamA(DialogResourceModule(), kPageKinds[kind].templateName, tabs, PageProc,
                                     reinterpret_cast<LPARAM>(page.get()));
  if (!page->window_) return nullptr;
  page->Place();
  ShowWindow(page->window_, SW_SHOW);
  return page;
}

DetailedPage::~DetailedPage() {
  if (window_) DestroyWindow(window_);
}

void DetailedPage::Place() {
  HWND tabs = GetParent(window_);
  RECT area;
  GetClientRect(tabs, &area);
  TabCtrl_AdjustRect(tabs, FALSE, &area);
  // The content sits 3 pixels in from the left and 20 below the top, whatever the tab height.
  area.left = kContentLeft;
  area.top = kContentTop;
  MoveWindow(window_, area.left, area.top, std::max<LONG>(area.right - area.left, 0),
             std::max<LONG>(area.bottom - area.top, 0), TRUE);
}

INT_PTR CALLBACK DetailedPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    reinterpret_cast<DetailedPage*>(lParam)->window_ = window;
  }
  // The owner-drawn list asks for its row height while the page is still being made.
  if (message == WM_MEASUREITEM) {
    reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = TListViewItems::kRowHeight;
    return TRUE;
  }
  auto* page = reinterpret_cast<DetailedPage*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!page) return FALSE;
  // Nothing raised here may unwind into the system's code: the page just shows less.
  try {
    return page->HandleMessage(message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR DetailedPage::HandleMessage(UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Fill();
      return TRUE;
    case WM_SIZE: {
      const int width = LOWORD(lParam), height = HIWORD(lParam);
      HWND caption = GetDlgItem(window_, VX_PAGE_CAPTION);
      RECT captionRect;
      GetWindowRect(caption, &captionRect);
      const int captionHeight = captionRect.bottom - captionRect.top;
      MoveWindow(caption, 0, 0, width, captionHeight, TRUE);
      MoveWindow(GetDlgItem(window_, VX_PAGE_CONTENT), 0, captionHeight + 3, width,
                 std::max(height - captionHeight - 3, 0), TRUE);
      return TRUE;
    }
    case WM_DRAWITEM:
      if (!state_->list) return FALSE;
      state_->list->DrawRow(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (!state_->list || header->hwndFrom != state_->list->Handle()) return FALSE;
      if (header->code == LVN_GETDISPINFOA)
        state_->list->FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOA*>(lParam));
      if (header->code == NM_CLICK || header->code == NM_DBLCLK) {
        const auto* click = reinterpret_cast<NMITEMACTIVATE*>(lParam);
        const bool toggled = state_->list->ToggleGroup(click->iItem, click->ptAction, header->code == NM_CLICK);
        if (header->code == NM_DBLCLK && !toggled) ActivateRow(click->iItem);
      }
      if (header->code == NM_RETURN) ActivateRow(ListView_GetNextItem(state_->list->Handle(), -1, LVNI_FOCUSED));
      return TRUE;
    }
    case WM_DESTROY:
      SaveColumnWidths();
      state_->list.reset();
      return FALSE;
  }
  return FALSE;
}

void DetailedPage::Fill() {
  const TTarvexModuleOptions& options = *sources_.options;
  SetDlgItemTextA(window_, VX_PAGE_CAPTION, options.Text(kPageKinds[kind_].captionText).c_str());
  HWND content = GetDlgItem(window_, VX_PAGE_CONTENT);
  const BugReport& report = *sources_.report;
  if (!IsListPage(kind_)) {
    std::string rtf;
    if (kind_ == dtGeneral)
      rtf = GeneralPageRtf(report.GeneralPart(), sources_.font);
    else if (kind_ == dtAssembler)
      rtf = AssemblerPageRtf(report.assemblerListing, sources_.font);
    else
      rtf = CpuPageRtf(report.cpuBlock, sources_.font, sources_.dumpTabTwips);
    SendMessageA(content, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    LoadRtf(content, rtf);
    return;
  }
  if (sources_.contentFont) SendMessageA(content, WM_SETFONT, reinterpret_cast<WPARAM>(sources_.contentFont), FALSE);
  const std::span<const ColumnSpec> specs = ColumnsOf(kind_);
  const std::vector<int> widths = ReadColumnWidths(specs, [this](const char* key) {
    return sources_.settings->ReadString(kGeometrySection, key);
  });
  std::vector<ListColumn> columns;
  for (size_t i = 0; i < specs.size(); ++i)
    columns.push_back({options.Text(specs[i].captionText), widths[i], specs[i].rightAligned});
  state_->list = std::make_unique<TListViewItems>(content, columns);
  TListViewItems& list = *state_->list;
  list.SetRedraw(false);
  const ReportFacts* facts = sources_.facts;
  if (kind_ == dtCallStack && facts)
    FillCallStackRows(list.Rows(), options, facts->stack, facts->threadDetails);
  else if (kind_ == dtModules && facts)
    FillModuleRows(list.Rows(), facts->modules);
  else if (kind_ == dtProcesses && facts)
    FillProcessRows(list.Rows(), facts->processes);
  list.SetRedraw(true);
}

void DetailedPage::ActivateRow(int item) {
  if (kind_ != dtCallStack || !sources_.facts || !sources_.facts->stack) return;
  const TTarvexStackList& stack = *sources_.facts->stack;
  TListViewRows& rows = state_->list->Rows();
  const int row = rows.RowOfVisible(item);
  if (row < 0 || rows[row].source < 0 || rows[row].source >= stack.Count()) return;
  SendSourceLocation(MakeSourceLocationRecord(stack[rows[row].source], GetCurrentProcessId()));
}

void DetailedPage::SaveColumnWidths() {
  if (!state_->list) return;
  const std::span<const ColumnSpec> specs = ColumnsOf(kind_);
  const std::vector<int> widths = state_->list->ColumnWidths();
  for (size_t i = 0; i < specs.size() && i < widths.size(); ++i)
    sources_.settings->WriteInteger(kGeometrySection, specs[i].key, widths[i]);
}

}  // namespace tarvex
