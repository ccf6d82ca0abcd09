// Small texts and values the report composer shows for stacks, modules and
// processes.
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

// The priority class of a process from its base priority (0 gives 0).
uint32_t BasePriorityToClass(int32_t basePriority);
// "Normal", "Low", "High", "Real-Time", "Below-Normal", "Above-Normal", or empty.
std::string PriorityClassName(uint32_t priorityClass);
// Kilobytes rounded to the nearest (ties to even) followed by " Kb"; empty for 0.
std::string SizeToKb(uint32_t bytes);

// "major.minor.release.build" from a file version's two 32-bit halves; empty for 0.0.0.0.
std::string FileVersionText(uint32_t versionMS, uint32_t versionLS);

// "$address - [module] file - unit - class - procedure - line[linesIntoProc]"
std::string DescribeStackItem(const TTarvexStackItem& item);
// One line per entry as the internal error log shows a call stack; every line
// after the first is indented by 12 spaces.
std::string FormatCallStackDump(const TTarvexStackList& list);

}  // namespace tarvex
