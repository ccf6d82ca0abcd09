// The bar-separated tables of the report: "|cell|cell|" rows under a caption
// and dash lines, cells left-aligned, padded or cut to their column's width.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

class TextTable {
 public:
  // Column widths start at the captions' lengths raised to `minimumWidths` (0 where absent).
  TextTable(std::vector<std::string> captions, const std::vector<size_t>& minimumWidths = {});

  void Widen(size_t column, size_t cellLength);
  size_t Width(size_t column) const { return widths_[column]; }
  // The table width T: the widths plus one bar per cell and one more.
  size_t TotalWidth() const;

  // Each appends one row and its CR LF to `out`.
  void AppendRow(std::string& out, const std::vector<std::string>& cells) const;
  // One cell as wide as the whole table.
  void AppendWideRow(std::string& out, std::string_view text) const;
  void AppendDashLine(std::string& out) const;
  // Caption + ":", dash line, header row, dash line.
  void AppendHead(std::string& out, std::string_view caption) const;
  // Closing dash line and the blank line after the table.
  void AppendFoot(std::string& out) const;

 private:
  std::vector<std::string> captions_;
  std::vector<size_t> widths_;
};

// Caption + ":" + CR LF + (caption length + 1) dashes: a part left out of the report.
std::string CaptionWithDashes(std::string_view caption);

}  // namespace tarvex
