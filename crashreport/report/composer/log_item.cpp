#include "crashreport/report/composer/log_item.h"

#include <algorithm>
#include <vector>

namespace tarvex {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Lone CRs, and lone LFs past the first character, become CR LF.
std::string NormaliseLineEnds(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 8);
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\r' && (i + 1 >= value.size() || value[i + 1] != '\n')) {
      out += kCrLf;
    } else if (c == '\n' && i > 0 && value[i - 1] != '\r') {
      out += kCrLf;
    } else {
      out += c;
    }
  }
  return out;
}

// Splits at CR LF, lone CR or lone LF.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

bool IsBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// Every further line of a multi-line value starts one blank in; empty lines
// print "." and ": " inside prints ":_" so the value never looks like a label.
std::string IndentMultiLine(std::string value) {
  for (size_t at = value.find(": "); at != std::string::npos; at = value.find(": ", at + 2)) value[at + 1] = '_';
  std::string out;
  const std::vector<std::string> lines = SplitLines(value);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += kCrLf;
    if (i > 0) out += ' ';
    out += IsBlank(lines[i]) ? "." : lines[i];
  }
  return out;
}

// A caption line: its first ":" is its last character and the dash line follows.
bool IsHeader(const std::vector<std::string>& lines, size_t i) {
  const std::string& line = lines[i];
  return !line.empty() && line.find(':') == line.size() - 1 && i + 1 < lines.size() && !lines[i + 1].empty() &&
         lines[i + 1].find_first_not_of('-') == std::string::npos;
}

// Lines [i + 2, end) of the section whose header is line i.
size_t SectionEnd(const std::vector<std::string>& lines, size_t i) {
  size_t end = std::min(i + 2, lines.size());
  while (end < lines.size() && !lines[end].empty()) ++end;
  return end;
}

void DropEmptySections(std::vector<std::string>& lines) {
  size_t i = 0;
  while (i < lines.size()) {
    if (!IsHeader(lines, i)) {
      ++i;
    } else if (i + 2 >= lines.size() || lines[i + 2].empty()) {
      lines.erase(lines.begin() + i, lines.begin() + std::min(i + 3, lines.size()));
    } else {
      i += 3;
    }
  }
}

void AlignSection(std::vector<std::string>& lines, size_t header) {
  const size_t end = SectionEnd(lines, header);
  size_t largest = 0;
  for (size_t i = header + 2; i < end; ++i) {
    const size_t at = lines[i].find(": ");
    if (at != std::string::npos) largest = std::max(largest, at);
  }
  size_t longest = 0;
  for (size_t i = header + 2; i < end; ++i) {
    // A continuation line of a multi-line value (one blank in, no ": ") moves
    // so that its text starts in the value column, after the ": ".
    const size_t at = lines[i].find(": ");
    if (at == std::string::npos) lines[i].insert(0, largest + 1, ' ');
    else lines[i].insert(at, largest - at, ' ');
    longest = std::max(longest, lines[i].size());
  }
  lines[header + 1].assign(longest, '-');
}

}  // namespace

void TLogItem::Reset() {
  Body.clear();
  SectionNumber = NumberBase;
  LineNumber = 0;
}

void TLogItem::AddHeader(std::string_view caption) {
  ++SectionNumber;
  LineNumber = 0;
  if (!Body.empty()) Body += "\r\n\r\n";
  Body.append(caption).append(":\r\n-");
}

void TLogItem::AddItem(std::string_view label, std::string_view value, bool visible) {
  ++LineNumber;
  if (!visible) return;
  std::string text = NormaliseLineEnds(value);
  if (text.find(kCrLf) != std::string::npos) text = IndentMultiLine(std::move(text));
  Body.append("\r\n  ")
      .append(std::to_string(SectionNumber))
      .append(".")
      .append(std::to_string(LineNumber))
      .append(" ")
      .append(label)
      .append(": ")
      .append(text);
}

std::string TLogItem::BuildText() const {
  std::vector<std::string> lines = SplitLines(Body);
  DropEmptySections(lines);
  for (size_t i = 0; i < lines.size(); ++i)
    if (IsHeader(lines, i)) AlignSection(lines, i);
  std::string text;
  for (const std::string& line : lines) text.append(line).append(kCrLf);
  return text;
}

}  // namespace tarvex
