// Small texts and values the report composer shows for stacks (those for
// modules and processes are in modules/module_texts.h).
#pragma once

#include <cstdint>
#include <string>

#include "crashreport/callstack/stack/stack_list.h"

namespace tarvex {

// Bits of the call-stack option set that concern tracing.
inline constexpr uint32_t kShowProcedures = 1;     // show entries with a procedure name only
inline constexpr uint32_t kShowUnits = 2;          // show entries with unit and procedure, no line
inline constexpr uint32_t kTraceFrameworkThreads = 4;
inline constexpr uint32_t kTraceOtherThreads = 8;

// The info levels the report shows: always ilLine, plus ilProcedure and ilUnit by the option bits.
TTarvexInfoLevelSet ShownDetailSet(uint32_t callStackOptions);

// "$address - [module] file - unit - class - procedure - line[linesIntoProc]"
std::string DescribeStackItem(const TTarvexStackItem& item);
// One line per entry as the internal error log shows a call stack; every line
// after the first is indented by 12 spaces.
std::string FormatCallStackDump(const TTarvexStackList& list);

}  // namespace tarvex
