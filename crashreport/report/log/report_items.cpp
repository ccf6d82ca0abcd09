#include "crashreport/report/log/report_items.h"

#include <string>
#include <vector>

#include "crashreport/report/log/log_text.h"
#include "crashreport/report/sysinfo/sysinfo_text.h"

namespace tarvex {
namespace {

constexpr int kMaxItemsInSection = 19;  // N.1 to N.19 are looked for when a line is inserted

// Where an item's line and its value lie in a report.
struct ItemPlace {
  size_t lineStart = 0;   // the item line's first character
  size_t colon = 0;       // the ":" before the value
  size_t valueStart = 0;  // after ": " (after ":" on a line that lost its last blank)
  size_t valueEnd = 0;    // before the line break that ends the value's last line
  size_t ValueColumn() const { return colon + 2 - lineStart; }
  // What goes before a new value: the blank of a line that lost it.
  std::string_view Blank() const { return valueStart == colon + 1 ? " " : ""; }
};

size_t LineEnd(std::string_view text, size_t from) {
  const size_t end = text.find(kLineBreak, from);
  return end == std::string_view::npos ? text.size() : end;
}

bool IsItemLine(std::string_view text, size_t start) {
  return text.substr(start, 2) == "  " && (start + 3 >= text.size() || text[start + 3] != ' ');
}

// The first line of item `number` that holds a value (": ", or ":" at its end).
std::optional<ItemPlace> FindItem(std::string_view report, std::string_view number) {
  const std::string marker = std::string(kLineBreak) + "  " + std::string(number) + " ";
  for (size_t found = report.find(marker); found != std::string_view::npos; found = report.find(marker, found + 1)) {
    ItemPlace place;
    place.lineStart = found + kLineBreak.size();
    const size_t lineEnd = LineEnd(report, place.lineStart);
    const std::string_view line = report.substr(place.lineStart, lineEnd - place.lineStart);
    const size_t colon = line.find(": ");
    if (colon != std::string_view::npos) {
      place.colon = place.lineStart + colon;
      place.valueStart = place.colon + 2;
    } else if (line.ends_with(':')) {  // an empty value whose blank was lost
      place.colon = lineEnd - 1;
      place.valueStart = lineEnd;
    } else {
      continue;
    }
    place.valueEnd = lineEnd;
    while (place.valueEnd < report.size()) {
      const size_t next = place.valueEnd + kLineBreak.size();
      if (next >= report.size() || report.substr(next).starts_with(kLineBreak) || IsItemLine(report, next)) break;
      place.valueEnd = LineEnd(report, next);
    }
    return place;
  }
  return std::nullopt;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// A value as the report writes it with its value in column `column`.
std::string LaidOut(std::string_view value, size_t column) {
  const std::string normal = NormalizeLineBreaks(value);
  if (normal.find(kLineBreak) == std::string::npos) return normal;
  std::string laidOut;
  const std::string marked = ReplaceAll(normal, ": ", ":_");
  bool first = true;
  for (std::string_view line : SplitLines(marked)) {
    if (!first) laidOut += std::string(kLineBreak) + std::string(column, ' ');
    laidOut += TrimText(line).empty() ? std::string_view(".") : line;
    first = false;
  }
  return laidOut;
}

}  // namespace

std::string GetItemValue(std::string_view report, std::string_view number) {
  const auto place = FindItem(report, number);
  if (!place) return {};
  std::string value;
  bool first = true;
  for (std::string_view line : SplitLines(report.substr(place->valueStart, place->valueEnd - place->valueStart))) {
    if (!first) {
      value += kLineBreak;
      line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
      if (line == ".") line = " ";
    }
    value += line;
    first = false;
  }
  return std::string(TrimText(ReplaceAll(std::move(value), ":_", ": ")));
}

bool ItemHasValue(std::string_view report, std::string_view number, std::string_view value) {
  const auto place = FindItem(report, number);
  return place &&
         report.substr(place->valueStart, place->valueEnd - place->valueStart) == LaidOut(value, place->ValueColumn());
}

bool SetItemValue(std::string& report, std::string_view number, std::string_view value, std::string_view label) {
  if (const auto place = FindItem(report, number)) {
    report.replace(place->valueStart, place->valueEnd - place->valueStart,
                   std::string(place->Blank()) + LaidOut(value, place->ValueColumn()));
    return true;
  }
  // No line for the item: a new one after the section's last numbered item.
  const std::string section(number.substr(0, number.find('.')));
  std::optional<ItemPlace> last;
  for (int line = 1; line <= kMaxItemsInSection; ++line) {
    const auto place = FindItem(report, section + "." + std::to_string(line));
    if (place && (!last || place->lineStart > last->lineStart)) last = place;
  }
  if (!last) return false;
  const size_t labelWidth = last->colon - last->lineStart;
  const std::string head = PadRight("  " + std::string(number) + " " + std::string(label), labelWidth) + ": ";
  report.insert(last->valueEnd, std::string(kLineBreak) + head + LaidOut(value, head.size()));
  return true;
}

}  // namespace tarvex
