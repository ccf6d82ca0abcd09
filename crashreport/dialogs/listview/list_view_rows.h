// The rows of an owner-drawn list view with collapsible groups: the model
// behind the detailed dialog's list pages, free of any window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

enum TListIcon : int8_t { liNone = -1, liLibrary = 0, liPackage = 1, liExecutable = 2, liSourceLine = 3 };

// Bits of a group header's kind.
inline constexpr uint8_t hkOwnStack = 0x01;       // the thread's live stack
inline constexpr uint8_t hkExceptionEntry = 0x02; // the group opened by the exception entry

struct TListViewItemRec {
  std::vector<std::string> cells;  // one per column
  int8_t icon = liNone;
  bool isHeader = false;
  std::string headerText;  // spans the row
  uint8_t headerKind = 0;
  bool expanded = true;    // a header's state
  bool visible = true;     // a row under a header: its header is expanded
  bool isSeparator = false;
  int source = -1;         // the index of what the row shows in the list it was made from; -1 for none
};

// Rows in order; a header owns the rows after it up to the next header or separator.
class TListViewRows {
 public:
  int Count() const { return static_cast<int>(rows_.size()); }
  const TListViewItemRec& operator[](int index) const { return rows_[index]; }

  void AddRow(std::vector<std::string> cells, int8_t icon = liNone, int source = -1);
  void AddHeader(std::string text, uint8_t kind);
  void AddSeparator();
  void InsertRow(int index, TListViewItemRec row);
  void DeleteRow(int index);
  void Clear() { rows_.clear(); }

  // Rows the list shows, in order: every row whose header is expanded.
  int VisibleCount() const;
  int RowOfVisible(int visibleIndex) const;  // -1 when out of range

  // Flips the header's group open or closed; false for a row that is no header.
  bool ToggleGroup(int row);

 private:
  std::vector<TListViewItemRec> rows_;
};

// Whether a click at `x` (pixels from the row's left) hits a header's sign:
// a square from 2 to 12 pixels, indented by `indent`.
bool HitsGroupSign(int x, int indent);

}  // namespace tarvex
