#include "crashreport/dialogs/listview/list_view_items_win.h"

#include <algorithm>

namespace tarvex {

namespace {

constexpr COLORREF kSelectedBackground = RGB(204, 218, 241);
constexpr COLORREF kSelectedFrame = RGB(49, 106, 197);
constexpr COLORREF kUnselectedFrame = RGB(152, 181, 226);
constexpr COLORREF kHeaderBand = RGB(123, 164, 224);
constexpr COLORREF kGridLine = RGB(206, 203, 194);
constexpr COLORREF kTransparent = RGB(255, 0, 255);
constexpr int kIconSize = 16, kCellPadding = 4;

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  const RECT box{left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &box, brush);
  DeleteObject(brush);
}

// The four 16 by 16 list icons, drawn here: library, package, executable, source line.
void DrawIcon(HDC dc, int index) {
  FillBox(dc, 0, 0, kIconSize, kIconSize, kTransparent);
  switch (index) {
    case liLibrary:  // a cog-like block with a connector
      FillBox(dc, 3, 3, 13, 13, RGB(70, 110, 170));
      FillBox(dc, 5, 5, 11, 11, RGB(200, 220, 250));
      FillBox(dc, 7, 0, 9, 3, RGB(70, 110, 170));
      FillBox(dc, 7, 13, 9, 16, RGB(70, 110, 170));
      break;
    case liPackage:  // a parcel
      FillBox(dc, 1, 4, 15, 15, RGB(150, 100, 40));
      FillBox(dc, 2, 5, 14, 14, RGB(220, 180, 110));
      FillBox(dc, 7, 4, 9, 15, RGB(150, 100, 40));
      break;
    case liExecutable:  // a window with a title bar
      FillBox(dc, 0, 2, 16, 14, RGB(40, 70, 150));
      FillBox(dc, 1, 5, 15, 13, RGB(255, 255, 255));
      break;
    case liSourceLine:  // a page of text
      FillBox(dc, 2, 0, 14, 16, RGB(90, 90, 90));
      FillBox(dc, 3, 1, 13, 15, RGB(255, 255, 240));
      for (int y = 4; y < 14; y += 3) FillBox(dc, 5, y, 11, y + 1, RGB(0, 0, 160));
      break;
  }
}

HIMAGELIST CreateListIcons() {
  HIMAGELIST images = ImageList_Create(kIconSize, kIconSize, ILC_COLOR24 | ILC_MASK, 4, 0);
  if (!images) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  for (int index = liLibrary; index <= liSourceLine; ++index) {
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kIconSize, kIconSize);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DrawIcon(dc, index);
    SelectObject(dc, old);
    ImageList_AddMasked(images, bitmap, kTransparent);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return images;
}

// The plus or minus sign of a group header: a square from 2 to 12 pixels.
void DrawSign(HDC dc, int left, int middle, bool expanded) {
  const int top = middle - 5;
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  Rectangle(dc, left + 2, top, left + 13, top + 11);
  MoveToEx(dc, left + 5, middle, nullptr);
  LineTo(dc, left + 10, middle);
  if (!expanded) {
    MoveToEx(dc, left + 7, top + 3, nullptr);
    LineTo(dc, left + 7, top + 8);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

}  // namespace

TListViewItems::TListViewItems(HWND listView, std::span<const ListColumn> columns)
    : listView_(listView),
      images_(CreateListIcons()),
      selectedBrush_(CreateSolidBrush(kSelectedBackground)),
      headerBandBrush_(CreateSolidBrush(kHeaderBand)),
      gridBrush_(CreateSolidBrush(kGridLine)),
      selectedFramePen_(CreatePen(PS_SOLID, 1, kSelectedFrame)),
      unselectedFramePen_(CreatePen(PS_SOLID, 1, kUnselectedFrame)) {
  ListView_SetExtendedListViewStyle(listView_, LVS_EX_FULLROWSELECT);
  ListView_SetBkColor(listView_, RGB(255, 255, 255));
  ListView_SetTextColor(listView_, RGB(0, 0, 0));
  for (size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = columns[i].rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    if (i == 0) column.fmt = LVCFMT_LEFT;  // the first column cannot be aligned otherwise
    column.cx = columns[i].width;
    column.pszText = const_cast<char*>(columns[i].caption.c_str());
    column.iSubItem = static_cast<int>(i);
    SendMessageA(listView_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    rightAligned_.push_back(columns[i].rightAligned);
  }
}

TListViewItems::~TListViewItems() {
  if (images_) ImageList_Destroy(images_);
  DeleteObject(selectedBrush_);
  DeleteObject(headerBandBrush_);
  DeleteObject(gridBrush_);
  DeleteObject(selectedFramePen_);
  DeleteObject(unselectedFramePen_);
}

void TListViewItems::AddRow(std::vector<std::string> cells, int8_t icon) {
  rows_.AddRow(std::move(cells), icon);
  Refresh();
}

void TListViewItems::AddHeader(std::string text, uint8_t kind) {
  rows_.AddHeader(std::move(text), kind);
  Refresh();
}

void TListViewItems::InsertRow(int row, TListViewItemRec item) {
  rows_.InsertRow(row, std::move(item));
  Refresh();
}

void TListViewItems::DeleteRow(int row) {
  rows_.DeleteRow(row);
  Refresh();
}

void TListViewItems::Clear() {
  rows_.Clear();
  Refresh();
}

void TListViewItems::SetRedraw(bool on) {
  redraw_ = on;
  SendMessageA(listView_, WM_SETREDRAW, on, 0);
  if (on) Refresh();
}

void TListViewItems::Refresh() {
  if (!redraw_) return;
  ListView_SetItemCountEx(listView_, rows_.VisibleCount(), LVSICF_NOSCROLL);
  InvalidateRect(listView_, nullptr, TRUE);
}

bool TListViewItems::ToggleGroup(int item, POINT click, bool checkSign) {
  const int row = rows_.RowOfVisible(item);
  if (row < 0 || !rows_[row].isHeader) return false;
  if (checkSign && !HitsGroupSign(click.x, 0)) return false;
  rows_.ToggleGroup(row);
  Refresh();
  return true;
}

void TListViewItems::FillDisplayInfo(NMLVDISPINFOA& info) {
  LVITEMA& item = info.item;
  const int row = rows_.RowOfVisible(item.iItem);
  if (!(item.mask & LVIF_TEXT) || row < 0 || !item.pszText || item.cchTextMax <= 0) return;
  const TListViewItemRec& rec = rows_[row];
  if (rec.isHeader)
    displayText_ = item.iSubItem == 0 ? rec.headerText : std::string();
  else
    displayText_ = item.iSubItem < static_cast<int>(rec.cells.size()) ? rec.cells[item.iSubItem] : std::string();
  lstrcpynA(item.pszText, displayText_.c_str(), item.cchTextMax);
}

std::vector<int> TListViewItems::ColumnWidths() const {
  std::vector<int> widths;
  for (size_t i = 0; i < rightAligned_.size(); ++i) widths.push_back(ListView_GetColumnWidth(listView_, int(i)));
  return widths;
}

void TListViewItems::DrawRow(const DRAWITEMSTRUCT& draw) {
  const int row = rows_.RowOfVisible(static_cast<int>(draw.itemID));
  if (row < 0) return;
  const TListViewItemRec& rec = rows_[row];
  HDC dc = draw.hDC;
  const RECT& rect = draw.rcItem;
  const bool selected = (draw.itemState & ODS_SELECTED) != 0 && !rec.isSeparator;
  FillRect(dc, &rect, selected ? selectedBrush_ : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (rec.isSeparator) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  if (rec.isHeader)
    DrawHeader(dc, rect, rec);
  else
    DrawCells(dc, rect, rec);
  if (selected || (draw.itemState & ODS_FOCUS)) {
    HGDIOBJ oldPen = SelectObject(dc, selected ? selectedFramePen_ : unselectedFramePen_);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
  }
}

void TListViewItems::DrawHeader(HDC dc, const RECT& rect, const TListViewItemRec& row) {
  const RECT band{rect.left, rect.bottom - 2, rect.right, rect.bottom};
  FillRect(dc, &band, headerBandBrush_);
  DrawSign(dc, rect.left, (rect.top + rect.bottom - 2) / 2, row.expanded);
  RECT text{rect.left + 16, rect.top, rect.right - kCellPadding, rect.bottom - 2};
  DrawTextA(dc, row.headerText.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void TListViewItems::DrawCells(HDC dc, const RECT& rect, const TListViewItemRec& row) {
  int left = rect.left;
  for (size_t column = 0; column < rightAligned_.size(); ++column) {
    const int width = ListView_GetColumnWidth(listView_, int(column));
    RECT cell{left + kCellPadding, rect.top, left + width - kCellPadding, rect.bottom - 1};
    if (column == 0 && row.icon != liNone && images_) {
      ImageList_Draw(images_, row.icon, dc, left + 2, rect.top + (rect.bottom - rect.top - kIconSize) / 2,
                     ILD_TRANSPARENT);
      cell.left += kIconSize + 2;
    }
    if (column < row.cells.size() && cell.right > cell.left) {
      const UINT align = rightAligned_[column] ? DT_RIGHT : DT_LEFT;
      DrawTextA(dc, row.cells[column].c_str(), -1, &cell,
                align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    left += width;
  }
  const RECT grid{rect.left, rect.bottom - 1, std::max<LONG>(rect.right, left), rect.bottom};
  FillRect(dc, &grid, gridBrush_);
}

}  // namespace tarvex
