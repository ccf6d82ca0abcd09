#include "crashreport/report/log/log_text.h"

#include <algorithm>
#include <optional>

namespace tarvex {
namespace {

constexpr std::string_view kBreakRun = "\r\n\r\n\r\n\r\n";  // what cuts a log into pieces
constexpr size_t kSeparatorBreaks = 4;                      // between two reports on disk

std::string Breaks(size_t count) {
  std::string text;
  text.reserve(count * kLineBreak.size());
  for (size_t i = 0; i < count; ++i) text += kLineBreak;
  return text;
}

size_t TrailingBreaks(std::string_view text) {
  size_t count = 0;
  for (size_t end = text.size(); end >= 2 && text.substr(end - 2, 2) == kLineBreak; end -= 2) ++count;
  return count;
}

// "Caption:" CR LF "-": how every section of a report begins.
bool StartsWithCaption(std::string_view piece) {
  const size_t end = piece.find(kLineBreak);
  return end != std::string_view::npos && end > 0 && piece[end - 1] == ':' && end + 2 < piece.size() &&
         piece[end + 2] == '-';
}

// The text between runs of four or more line breaks, with the run after it.
struct Piece {
  std::string_view text;
  size_t breaksAfter = 0;  // 0: the text ends without such a run
};

std::vector<Piece> CutAtBreakRuns(std::string_view text) {
  std::vector<Piece> pieces;
  size_t begin = 0;
  while (begin < text.size()) {
    const size_t run = text.find(kBreakRun, begin);
    if (run == std::string_view::npos) {
      pieces.push_back({text.substr(begin), 0});
      break;
    }
    size_t end = run;
    while (text.substr(end, 2) == kLineBreak) end += 2;
    pieces.push_back({text.substr(begin, run - begin), (end - run) / 2});
    begin = end;
  }
  return pieces;
}

class ReportCollector {
 public:
  void Add(const Piece& piece, bool last) {
    std::string_view text = piece.text;
    // Line breaks that belong to the report: all of a short run at the end of
    // the text; of a run between reports those before the separator; of the
    // run the writer ends a file with (it leaves out one) those before three.
    size_t ownBreaks = 0;
    if (piece.breaksAfter == 0) {
      ownBreaks = TrailingBreaks(text);
      text.remove_suffix(ownBreaks * 2);
    } else if (last) {
      ownBreaks = piece.breaksAfter - (kSeparatorBreaks - 1);
    } else {
      ownBreaks = piece.breaksAfter - kSeparatorBreaks;
    }
    const bool table = text.find(kTableStart) != std::string_view::npos;
    if (text.starts_with(kReportHeader)) {
      Finish();
      open_ = Open{std::string(text), table};
    } else if (open_ && StartsWithCaption(text) && !(table && open_->hasTable)) {
      open_->text += Breaks(open_->breaksAfter) + std::string(text);
      open_->hasTable |= table;
    } else {
      Finish();  // damaged or foreign text
    }
    if (open_) {
      open_->breaksAfter = piece.breaksAfter;
      open_->ownBreaks = std::max<size_t>(ownBreaks, 1);
    }
  }

  std::vector<std::string> Take() {
    Finish();
    return std::move(reports_);
  }

 private:
  struct Open {
    std::string text;
    bool hasTable = false;
    size_t breaksAfter = 0;  // the run after the latest piece, in case a continuation follows
    size_t ownBreaks = 1;    // the line breaks the report ends with, when none follows
  };

  void Finish() {
    if (open_ && open_->hasTable) reports_.push_back(open_->text + Breaks(open_->ownBreaks));
    open_.reset();
  }

  std::optional<Open> open_;
  std::vector<std::string> reports_;
};

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(kLineBreak, start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + kLineBreak.size();
  }
  return lines;
}

std::string NormalizeLineBreaks(std::string_view text) {
  std::string normal;
  normal.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      normal += kLineBreak;
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      normal += kLineBreak;
    } else {
      normal += c;
    }
  }
  return normal;
}

std::string AsStoredReport(std::string_view text) {
  std::string report = NormalizeLineBreaks(text);
  if (!report.ends_with(kLineBreak)) report += kLineBreak;
  return report;
}

std::vector<std::string> ReadLogText(std::string_view bytes) {
  const std::string normal = NormalizeLineBreaks(bytes);
  std::string_view text = normal;
  while (text.starts_with(kLineBreak)) text.remove_prefix(2);
  const std::vector<Piece> pieces = CutAtBreakRuns(text);
  ReportCollector collector;
  for (size_t i = 0; i < pieces.size(); ++i) collector.Add(pieces[i], i + 1 == pieces.size());
  return collector.Take();
}

std::string WriteLogText(const std::vector<std::string>& reports) {
  std::string text;
  size_t size = 0;
  for (const std::string& report : reports) size += report.size() + kSeparatorBreaks * 2;
  text.reserve(size);
  for (const std::string& report : reports) {
    text += report;
    text += kReportSeparator;
    text += kLineBreak;
  }
  // A last report that ends with a line break: its entry's final CR LF is not written.
  constexpr size_t kEntryEnd = kSeparatorBreaks * 2;
  if (text.size() >= kEntryEnd + 2 && text.compare(text.size() - kEntryEnd - 2, 2, kLineBreak) == 0)
    text.resize(text.size() - 2);
  return text;
}

bool IsReplaceableLogText(std::string_view bytes) {
  const size_t first = bytes.find_first_not_of(" \t\r\n");
  return first == std::string_view::npos || bytes.substr(first).starts_with(kReportHeader);
}

}  // namespace tarvex
