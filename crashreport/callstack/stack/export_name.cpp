#include "crashreport/callstack/stack/export_name.h"

#include <string>
#include <vector>

namespace tarvex {

namespace {

std::string DecoratedToDotted(std::string_view name) {
  std::string s(name.substr(0, name.find('$')));
  if (!s.empty() && s.back() == '@') s.pop_back();
  s.erase(0, 1);  // the leading "@"
  if (size_t pair = s.find("@@"); pair != std::string::npos) s[pair + 1] = '_';
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i] == '@') s[i++] = '.';  // the character after a replaced "@" is not examined
  return s;
}

std::vector<std::string_view> SplitAtDots(std::string_view s) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t dot = s.find('.', start);
    parts.push_back(s.substr(start, dot - start));
    if (dot == std::string_view::npos) return parts;
    start = dot + 1;
  }
}

void SetProcedure(TTarvexStackItem& item, std::string_view procedure) {
  if (!procedure.empty() && procedure[0] == '@') {
    std::string fixed(procedure);
    fixed[0] = '_';
    item.ProcedureName = fixed;
  } else {
    item.ProcedureName = procedure;
  }
}

void SetFromDottedName(std::string_view dotted, TTarvexStackItem& item) {
  const std::vector<std::string_view> parts = SplitAtDots(dotted);
  if (parts.size() != 2 && parts.size() != 3) return;
  item.UnitName = std::string(parts[0]) + ".pas";
  if (parts.size() == 3) item.ClassName = parts[1];
  SetProcedure(item, parts.back());
  item.InfoLevel = ilUnit;
}

}  // namespace

void DecodeExportName(std::string_view name, TTarvexStackItem& item) {
  if (name.empty()) return;
  if (name[0] == '@') {
    if (name.size() > 1 && name[1] != '$' && name.find('$') != std::string_view::npos)
      SetFromDottedName(DecoratedToDotted(name), item);
  } else if (name.find('.') != std::string_view::npos) {
    SetFromDottedName(name.substr(0, name.find('@')), item);
  } else if (name[0] != '?') {
    SetProcedure(item, name);
    item.InfoLevel = ilProcedure;
  }
}

}  // namespace tarvex
