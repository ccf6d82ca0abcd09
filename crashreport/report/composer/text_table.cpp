#include "crashreport/report/composer/text_table.h"

#include <algorithm>

namespace tarvex {

namespace {

// `text` cut or blank-padded to exactly `width` characters.
void AppendCell(std::string& out, std::string_view text, size_t width) {
  const size_t used = std::min(text.size(), width);
  out.append(text.substr(0, used)).append(width - used, ' ');
}

}  // namespace

TextTable::TextTable(std::vector<std::string> captions, const std::vector<size_t>& minimumWidths)
    : captions_(std::move(captions)) {
  for (size_t i = 0; i < captions_.size(); ++i)
    widths_.push_back(std::max(captions_[i].size(), i < minimumWidths.size() ? minimumWidths[i] : 0));
}

void TextTable::Widen(size_t column, size_t cellLength) { widths_[column] = std::max(widths_[column], cellLength); }

size_t TextTable::TotalWidth() const {
  size_t total = widths_.size() + 1;
  for (size_t width : widths_) total += width;
  return total;
}

void TextTable::AppendRow(std::string& out, const std::vector<std::string>& cells) const {
  out.reserve(out.size() + TotalWidth() + 2);
  for (size_t i = 0; i < widths_.size(); ++i) {
    out += '|';
    AppendCell(out, i < cells.size() ? std::string_view(cells[i]) : std::string_view(), widths_[i]);
  }
  out += "|\r\n";
}

void TextTable::AppendWideRow(std::string& out, std::string_view text) const {
  out += '|';
  AppendCell(out, text, TotalWidth() - 2);
  out += "|\r\n";
}

void TextTable::AppendDashLine(std::string& out) const { out.append(TotalWidth(), '-').append("\r\n"); }

void TextTable::AppendHead(std::string& out, std::string_view caption) const {
  out.append(caption).append(":\r\n");
  AppendDashLine(out);
  AppendRow(out, captions_);
  AppendDashLine(out);
}

void TextTable::AppendFoot(std::string& out) const {
  AppendDashLine(out);
  out += "\r\n";
}

std::string CaptionWithDashes(std::string_view caption) {
  return std::string(caption) + ":\r\n" + std::string(caption.size() + 1, '-');
}

}  // namespace tarvex
