// Call-stack texts for the internal error log (Windows).
#pragma once

#include <cstdint>
#include <string>

namespace tarvex {

// The calling thread's stack, one line per entry (FormatCallStackDump), from
// `recordedStackPointer` (the stack pointer recorded at the last raise, so
// the reporter's own frames are left out) or, when it is 0 or the host is
// the development environment, from the caller's own frame. When the lookup
// of names fails, the walk is repeated naming modules only.
std::string DumpCurrentCallStack(uint32_t recordedStackPointer);

// One line for one address (DescribeStackItem).
std::string DescribeAddress(uint32_t address);

}  // namespace tarvex
