#include "program_lines.h"

namespace tarvex::tool {

std::string BaseName(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::vector<UnitLines> GroupIntoUnits(const ProgramLines& program) {
  std::vector<UnitLines> units;
  for (const FunctionLines& function : program.functions) {
    if (units.empty() || units.back().file != function.file) units.push_back({function.file, function.start, 0, {}});
    units.back().end = function.end;
    units.back().functions.push_back(&function);
  }
  return units;
}

}  // namespace tarvex::tool
