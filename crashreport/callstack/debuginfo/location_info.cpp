#include "crashreport/callstack/debuginfo/location_info.h"

#include <algorithm>

#include "crashreport/base/util/file_names.h"
#include "crashreport/base/util/text_case.h"

namespace tarvex {

TVXStackLocation StackLocationFromExternal(const TVXLocationInfo& info, bool moduleKnown) {
  TVXStackLocation entry;
  entry.UnitName = ExtractFileName(info.SourceFile.empty() ? info.UnitName : info.SourceFile);

  const std::string& name = info.QualifiedName;
  const size_t first = name.find('.');
  const size_t second = first == std::string::npos ? std::string::npos : name.find('.', first + 1);
  if (second != std::string::npos) {
    entry.ClassName = name.substr(first + 1, second - first - 1);
    entry.ProcedureName = name.substr(second + 1);
  } else if (first != std::string::npos) {
    entry.ClassName = name.substr(0, first);
    if (SameTextIgnoringCase(entry.ClassName, ChangeFileExt(entry.UnitName, ""))) entry.ClassName.clear();
    entry.ProcedureName = name.substr(first + 1);
  } else {
    entry.ProcedureName = name;
  }
  if (!entry.ProcedureName.empty() && entry.ProcedureName[0] == '@') entry.ProcedureName[0] = '_';

  entry.Line = static_cast<uint32_t>(info.Line);
  entry.LinesIntoProc = info.LinesFromProcStart > 0 ? static_cast<uint32_t>(info.LinesFromProcStart) : 0;
  if (entry.Line != 0) entry.InfoLevel = ilLine;
  else if (!entry.UnitName.empty()) entry.InfoLevel = ilUnit;
  else if (!entry.ProcedureName.empty()) entry.InfoLevel = ilProcedure;
  else entry.InfoLevel = moduleKnown ? ilModule : ilNone;
  return entry;
}

}  // namespace tarvex
