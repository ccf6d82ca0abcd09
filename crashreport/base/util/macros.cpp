#include "crashreport/base/util/macros.h"

#include <algorithm>
#include <cctype>

namespace tarvex {
namespace {

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Value(const std::string& name, const MacroValues& values) {
  std::string value = values.Environment(name);
  if (!value.empty()) return value;
  const std::string lower = Lower(name);
  if (lower == "date") return values.ShortDate();
  if (lower == "time") return values.LongTime();
  if (lower == "cd") return values.CurrentDirectory();
  return {};
}

}  // namespace

std::string ExpandMacros(std::string_view text, const MacroValues& values) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '%') {
      out += text[i++];
      continue;
    }
    size_t end = i + 1;
    while (end < text.size() && IsNameCharacter(text[end])) ++end;
    if (end == i + 1 || end == text.size() || text[end] != '%') {
      out += text[i++];  // not a macro: the "%" stays, the scan goes on after it
      continue;
    }
    out += Value(std::string(text.substr(i + 1, end - i - 1)), values);
    i = end + 1;
  }
  return out;
}

}  // namespace tarvex
