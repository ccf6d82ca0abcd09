#include "crashreport/dialogs/listview/list_view_rows.h"

namespace tarvex {

void TListViewRows::AddRow(std::vector<std::string> cells, int8_t icon, int source) {
  TListViewItemRec row;
  row.cells = std::move(cells);
  row.icon = icon;
  row.source = source;
  InsertRow(Count(), std::move(row));
}

void TListViewRows::AddHeader(std::string text, uint8_t kind) {
  TListViewItemRec row;
  row.isHeader = true;
  row.headerText = std::move(text);
  row.headerKind = kind;
  InsertRow(Count(), std::move(row));
}

void TListViewRows::AddSeparator() {
  TListViewItemRec row;
  row.isSeparator = true;
  InsertRow(Count(), std::move(row));
}

void TListViewRows::InsertRow(int index, TListViewItemRec row) {
  if (index < 0 || index > Count()) return;
  // A row inside a closed group starts hidden.
  if (!row.isHeader && !row.isSeparator) {
    for (int i = index - 1; i >= 0; --i) {
      if (rows_[i].isSeparator) break;
      if (rows_[i].isHeader) {
        row.visible = rows_[i].expanded;
        break;
      }
    }
  }
  rows_.insert(rows_.begin() + index, std::move(row));
}

void TListViewRows::DeleteRow(int index) {
  if (index >= 0 && index < Count()) rows_.erase(rows_.begin() + index);
}

int TListViewRows::VisibleCount() const {
  int count = 0;
  for (const auto& row : rows_) count += row.visible;
  return count;
}

int TListViewRows::RowOfVisible(int visibleIndex) const {
  if (visibleIndex < 0) return -1;
  for (int i = 0; i < Count(); ++i)
    if (rows_[i].visible && visibleIndex-- == 0) return i;
  return -1;
}

bool TListViewRows::ToggleGroup(int row) {
  if (row < 0 || row >= Count() || !rows_[row].isHeader) return false;
  const bool expanded = !rows_[row].expanded;
  rows_[row].expanded = expanded;
  for (int i = row + 1; i < Count() && !rows_[i].isHeader && !rows_[i].isSeparator; ++i) rows_[i].visible = expanded;
  return true;
}

bool HitsGroupSign(int x, int indent) { return x >= indent + 2 && x <= indent + 12; }

}  // namespace tarvex
