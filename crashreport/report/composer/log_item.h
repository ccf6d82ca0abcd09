// Builds the report's numbered sections: "Caption:", a dash line, then
// "  N.M Label: value" lines whose ": " separators line up per section.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

class TLogItem {
 public:
  explicit TLogItem(int numberBase = 0) : NumberBase(numberBase) { Reset(); }

  void Reset();
  // Opens section SectionNumber + 1.
  void AddHeader(std::string_view caption);
  // Counts a line even when hidden, so hidden items leave gaps in the numbering.
  void AddItem(std::string_view label, std::string_view value, bool visible);
  // The sections with empty ones dropped, values aligned and dash lines
  // widened; CR LF line ends including the last.
  std::string BuildText() const;

  std::string Body;
  int SectionNumber = 0;
  int LineNumber = 0;
  int NumberBase = 0;
};

}  // namespace tarvex
