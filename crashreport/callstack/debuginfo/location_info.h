// The answers of the debug information readers.
//
//   TVXLocationInfo   — what an external source (map, TD32, JDBG) answers
//   TVXStackLocation  — the names part of a call-stack entry, as the stack
//                       tracer stores it (information level, unit, class,
//                       procedure, line, lines into the procedure)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crashreport/callstack/debuginfo/info_level.h"

namespace tarvex {

class TVXDebugInfoSource;

struct TVXLocationInfo {
  uint32_t Address = 0;
  std::string UnitName;
  std::string QualifiedName;  // "unit.class.procedure", "class.procedure" or "procedure"
  int32_t LinesFromProcStart = 0;
  int32_t Line = 0;  // 0 = none
  std::string SourceFile;
  const TVXDebugInfoSource* Source = nullptr;
};

struct TVXStackLocation {
  TTarvexInfoLevel InfoLevel = ilNone;
  std::string UnitName;
  std::string ClassName;
  std::string ProcedureName;
  uint32_t Line = 0;
  uint32_t LinesIntoProc = 0;
};

// Turns an external source's answer into the names of a stack entry: the unit
// is the file part of SourceFile (or of UnitName), QualifiedName is split at
// its first two ".", a leading "@" of the procedure becomes "_", and the level
// is the richest one the names support (`moduleKnown` gives ilModule when
// nothing else is known).
TVXStackLocation StackLocationFromExternal(const TVXLocationInfo& info, bool moduleKnown);

}  // namespace tarvex
