#include "crashreport/report/log/report_sections.h"

#include <optional>

#include "crashreport/report/log/log_text.h"

namespace tarvex {
namespace {

constexpr std::string_view kBlankLine = "\r\n\r\n";  // a line end followed by an empty line
constexpr std::string_view kTableEnd = "-\r\n\r\n";  // a table's bottom dash line and the blank line after it
constexpr std::string_view kCaptionEnd = ":\r\n-";
constexpr std::string_view kRegisterLine = "\r\nEAX";
constexpr size_t kVersionStart = kReportHeader.size();

// The report followed by the separator, as the log keeps it: every part is
// then followed by a blank line.
class StoredReport {
 public:
  explicit StoredReport(std::string_view report) : text_(std::string(report) + std::string(kReportSeparator)) {
    const size_t top = text_.find(kTableStart);
    if (top != std::string::npos) firstTable_ = top;
  }

  bool HasTable() const { return firstTable_.has_value(); }
  size_t FirstTable() const { return *firstTable_; }

  size_t LineStart(size_t at) const {
    if (at == 0) return 0;
    const size_t previous = text_.rfind(kLineBreak, at - 1);
    return previous == std::string::npos ? 0 : previous + kLineBreak.size();
  }
  size_t NextLine(size_t at) const {
    const size_t end = text_.find(kLineBreak, at);
    return end == std::string::npos ? text_.size() : end + kLineBreak.size();
  }

  // The end of the table whose top dash line is at or after `from`: after its bottom dash line's line break.
  std::optional<size_t> TableEnd(size_t from) const {
    const size_t end = text_.find(kTableEnd, from);
    if (end == std::string::npos) return std::nullopt;
    return end + 1 + kLineBreak.size();
  }
  // The dash line below the `count`th caption after `from`.
  std::optional<size_t> CaptionDashLine(size_t from, int count) const {
    for (size_t at = from;; ++at) {
      at = text_.find(kCaptionEnd, at);
      if (at == std::string::npos) return std::nullopt;
      if (--count == 0) return at + 1 + kLineBreak.size();
    }
  }
  // The lines after the dash line at `dashLine` up to the next blank line.
  std::string LinesAfter(size_t dashLine) const {
    const size_t start = NextLine(dashLine);
    if (text_.compare(start, kLineBreak.size(), kLineBreak) == 0) return {};
    const size_t blank = text_.find(kBlankLine, start);
    return Text(start, blank == std::string::npos ? text_.size() : blank + kLineBreak.size());
  }
  // Where the blank line `count` blank lines after `from` ends its previous line.
  std::optional<size_t> BlankLine(size_t from, int count) const {
    for (size_t at = from;; at += kLineBreak.size()) {
      at = text_.find(kBlankLine, at);
      if (at == std::string::npos) return std::nullopt;
      if (--count == 0) return at + kLineBreak.size();
    }
  }
  std::optional<size_t> Find(std::string_view what, size_t from) const {
    const size_t at = text_.find(what, from);
    return at == std::string::npos ? std::nullopt : std::optional<size_t>(at);
  }

  std::string Text(size_t begin, size_t end) const { return text_.substr(begin, end - begin); }
  bool StartsWith(size_t at, char c) const { return at < text_.size() && text_[at] == c; }
  std::string_view All() const { return text_; }

  std::optional<size_t> CallStackEnd() const { return HasTable() ? TableEnd(FirstTable()) : std::nullopt; }

  // The table below the `count`th caption after the call stack table.
  std::string CaptionTable(int count) const {
    const auto after = CallStackEnd();
    const auto dash = after ? CaptionDashLine(*after, count) : std::nullopt;
    if (!dash || !StartsWith(NextLine(*dash), '|')) return {};
    const auto end = TableEnd(*dash);
    return end ? Text(*dash, *end) : std::string();
  }

  std::optional<size_t> CpuStart() const {
    if (!HasTable()) return std::nullopt;
    const auto registers = Find(kRegisterLine, FirstTable());
    if (!registers) return std::nullopt;
    const size_t dashLine = LineStart(*registers);
    return dashLine == 0 ? 0 : LineStart(dashLine - kLineBreak.size());
  }

 private:
  std::string text_;
  std::optional<size_t> firstTable_;
};

std::string_view FirstLine(std::string_view report) {
  return report.substr(0, report.find(kLineBreak));
}

}  // namespace

bool IsVersionBelow(std::string_view version, std::string_view other) { return version < other; }

std::string ReportVersion(std::string_view report) {
  const std::string_view line = FirstLine(report);
  return line.size() > kVersionStart ? std::string(line.substr(kVersionStart)) : std::string();
}

std::string GeneralPart(std::string_view report) {
  const StoredReport stored(report);
  if (!stored.HasTable()) return {};
  const size_t dashLine = stored.LineStart(stored.FirstTable());
  const size_t caption = dashLine == 0 ? 0 : stored.LineStart(dashLine - kLineBreak.size());
  std::string_view general = stored.All().substr(0, caption);
  while (general.ends_with(kLineBreak)) general.remove_suffix(kLineBreak.size());
  return std::string(general);
}

std::string CallStackTable(std::string_view report) {
  const StoredReport stored(report);
  const auto end = stored.CallStackEnd();
  return end ? stored.Text(stored.LineStart(stored.FirstTable()), *end) : std::string();
}

std::string ModulesTable(std::string_view report) { return StoredReport(report).CaptionTable(1); }

std::string ProcessesTable(std::string_view report) {
  if (IsVersionBelow(ReportVersion(report), "6.0")) return {};
  return StoredReport(report).CaptionTable(2);
}

std::string AssemblerListing(std::string_view report) {
  if (IsVersionBelow(ReportVersion(report), "6.0")) return {};
  const StoredReport stored(report);
  const auto after = stored.CallStackEnd();
  const auto dash = after ? stored.CaptionDashLine(*after, 3) : std::nullopt;
  if (!dash) return {};
  const auto cpu = stored.CpuStart();
  if (cpu && *cpu <= *dash) return {};  // the third caption is the CPU block's
  return stored.LinesAfter(*dash);
}

std::string CpuBlock(std::string_view report) {
  const StoredReport stored(report);
  const auto start = stored.CpuStart();
  if (!start) return {};
  const auto end = stored.BlankLine(*start, 2);
  return stored.Text(*start, end ? *end : stored.All().size());
}

std::string OldReproduceText(std::string_view report) {
  if (!IsVersionBelow(ReportVersion(report), "5.0")) return {};
  const StoredReport stored(report);
  if (!stored.HasTable()) return {};
  std::optional<size_t> tableEnd = stored.TableEnd(stored.FirstTable());
  for (int table = 2; table <= 3 && tableEnd; ++table) {
    const auto top = stored.Find(kTableStart, *tableEnd);
    tableEnd = top ? stored.TableEnd(*top) : std::nullopt;
  }
  const auto dash = tableEnd ? stored.CaptionDashLine(*tableEnd, 3) : std::nullopt;
  return dash ? stored.LinesAfter(*dash) : std::string();
}

}  // namespace tarvex
