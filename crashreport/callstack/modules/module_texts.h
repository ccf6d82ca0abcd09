// Small texts and values the report composer shows for modules and processes.
#pragma once

#include <cstdint>
#include <string>

namespace tarvex {

// The priority class of a process from its base priority (0 gives 0).
uint32_t BasePriorityToClass(int32_t basePriority);
// "Normal", "Low", "High", "Real-Time", "Below-Normal", "Above-Normal", or empty.
std::string PriorityClassName(uint32_t priorityClass);
// Kilobytes rounded to the nearest (ties to even) followed by " Kb"; empty for 0.
std::string SizeToKb(uint32_t bytes);

// "major.minor.release.build" from a file version's two 32-bit halves; empty for 0.0.0.0.
std::string FileVersionText(uint32_t versionMS, uint32_t versionLS);

}  // namespace tarvex
