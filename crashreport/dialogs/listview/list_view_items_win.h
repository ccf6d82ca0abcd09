// The owner-drawn list view of the detailed dialog's list pages: a virtual
// report list (the rows live in TListViewRows; the control only counts the
// visible ones), drawn row by row with its icons, group headers and grid.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <span>
#include <string>
#include <vector>

#include "crashreport/dialogs/listview/list_view_rows.h"

namespace tarvex {

struct ListColumn {
  std::string caption;
  int width;
  bool rightAligned;
};

class TListViewItems {
 public:
  // Takes over a list view made with LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_OWNERDATA.
  TListViewItems(HWND listView, std::span<const ListColumn> columns);
  ~TListViewItems();
  TListViewItems(const TListViewItems&) = delete;
  TListViewItems& operator=(const TListViewItems&) = delete;

  HWND Handle() const { return listView_; }
  TListViewRows& Rows() { return rows_; }

  void AddRow(std::vector<std::string> cells, int8_t icon);
  void AddHeader(std::string text, uint8_t kind);
  void InsertRow(int row, TListViewItemRec item);
  void DeleteRow(int row);
  void Clear();
  // Stops or resumes painting while many rows change; resuming shows the rows.
  void SetRedraw(bool on);

  // A click on visible row `item`: a header's group opens or closes when
  // `checkSign` is false or the click hits its sign. True when it toggled.
  bool ToggleGroup(int item, POINT click, bool checkSign);

  // WM_DRAWITEM for the list view.
  void DrawRow(const DRAWITEMSTRUCT& draw);
  // LVN_GETDISPINFO: the texts of a visible row, for readers of the list.
  void FillDisplayInfo(NMLVDISPINFOA& info);

  std::vector<int> ColumnWidths() const;
  static constexpr int kRowHeight = 18;

 private:
  void Refresh();
  void DrawHeader(HDC dc, const RECT& rect, const TListViewItemRec& row);
  void DrawCells(HDC dc, const RECT& rect, const TListViewItemRec& row);

  HWND listView_;
  TListViewRows rows_;
  std::vector<bool> rightAligned_;
  std::string displayText_;  // the text LVN_GETDISPINFO hands out last
  HIMAGELIST images_ = nullptr;
  HBRUSH selectedBrush_, headerBandBrush_, gridBrush_;
  HPEN selectedFramePen_, unselectedFramePen_;
  bool redraw_ = true;
};

}  // namespace tarvex
