// The raw stack walk: every aligned stack value that points just behind a
// call instruction is taken as a return address.
#pragma once

#include <cstdint>
#include <memory>

#include "crashreport/callstack/stack/call_stack_context.h"

namespace tarvex {

// The most stack bytes one walk scans above its start.
inline constexpr uint32_t kMaxStackScan = 102400;
// A list stops growing once it holds this many entries (over all threads).
inline constexpr int kMaxStackEntries = 1025;
// "No limit" for the counts of WalkStack.
inline constexpr int32_t kNoLimit = -1;

struct WalkOptions {
  TTarvexInfoLevelSet admitSet = kAllInfoLevels;
  int32_t maxCount = kNoLimit;   // entries kept by this walk at most
  int32_t skipCount = kNoLimit;  // first admitted entries dropped
  bool followThunks = true;      // list the routine called by a rel32 call too
  bool useDebugInfo = true;      // LocateAddress, or the module only
  uint8_t tag = 1;
  uint32_t threadID = 0;
};

// Appends the entries of one stack to `list`: the exception address first
// (when not 0), then the return addresses found from `stackStart` up to and
// including `stackTop` (at most kMaxStackScan bytes), then cleans up what it
// added (CleanStackList).
void WalkStack(CallStackContext& context, TTarvexStackList& list, uint32_t exceptionAddress, uint32_t stackStart,
               uint32_t stackTop, const WalkOptions& options);

// A new list filled by WalkStack with debug lookup on.
std::unique_ptr<TTarvexStackList> CreateStackList(CallStackContext& context, uint32_t exceptionAddress,
                                                  uint32_t stackStart, uint32_t stackTop, WalkOptions options);

}  // namespace tarvex
