#include "map_writer.h"

#include <algorithm>
#include <cstdio>

namespace tarvex::tool {

namespace {

std::string Format(const char* format, auto... values) {
  char buffer[64];  // numbers only: names are appended, never formatted
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

std::string StemOf(const std::string& file) {
  const std::string base = BaseName(file);
  const size_t dot = base.rfind('.');
  return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

std::string WithoutBlanks(std::string text) {
  for (char& c : text) {
    if (c == ' ' || c == '\t') c = '_';
    else if (c == '(') c = '{';
    else if (c == ')') c = '}';
  }
  return text;
}

}  // namespace

std::string MapName(const FunctionLines& function) {
  return WithoutBlanks(function.scope.empty() ? function.name : function.scope + "." + function.name);
}

std::string WriteMapFile(const ProgramLines& program) {
  const std::vector<UnitLines> units = GroupIntoUnits(program);
  const uint32_t codeEnd = units.empty() ? 0 : units.back().end;
  std::string map;
  map += "\r\n Start         Length     Name                   Class\r\n";
  map += Format(" 0001:00000000 %08XH .text                   CODE\r\n", codeEnd);
  map += "\r\nDetailed map of segments\r\n\r\n";
  for (const UnitLines& unit : units)
    map += Format(" 0001:%08X %08X C=CODE     S=.text    G=(none)   M=", unit.start, unit.end - unit.start) +
           WithoutBlanks(StemOf(unit.file)) + " ALIGN=PARA\r\n";

  std::vector<std::pair<std::string, uint32_t>> publics;
  for (const FunctionLines& function : program.functions) publics.emplace_back(MapName(function), function.start);
  auto byName = publics;
  std::stable_sort(byName.begin(), byName.end());
  map += "\r\n\r\n  Address             Publics by Name\r\n\r\n";
  for (const auto& [name, offset] : byName) map += Format(" 0001:%08X       ", offset) + name + "\r\n";
  map += "\r\n\r\n  Address             Publics by Value\r\n\r\n";
  for (const auto& [name, offset] : publics) map += Format(" 0001:%08X       ", offset) + name + "\r\n";

  for (const UnitLines& unit : units) {
    map += "\r\n\r\nLine numbers for " + WithoutBlanks(StemOf(unit.file)) + "(" + WithoutBlanks(BaseName(unit.file)) +
           ") segment .text\r\n\r\n";
    int column = 0;
    for (const FunctionLines* function : unit.functions) {
      for (const LineRow& row : function->rows) {
        map += Format("%6u 0001:%08X", row.line, row.offset);
        map += ++column % 4 == 0 ? "\r\n" : "";
      }
    }
    if (column % 4 != 0) map += "\r\n";
  }
  map += "\r\n";
  return map;
}

}  // namespace tarvex::tool
