// Time to walk and name a real 100 KB stack in the running process (run it
// under Wine or on Windows): a thread recurses until about 100 KB of its
// stack hold frames, then walks its own stack repeatedly.
#include <windows.h>

#include <cstdio>

#include "crashreport/callstack/stack/call_stack_context_win.h"
#include "crashreport/callstack/stack/stack_walk.h"
#include "crashreport/callstack/stack/thread_trace_win.h"

namespace {

using namespace tarvex;

constexpr int kRounds = 50;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

void Measure(uint32_t stackPointer, bool useDebugInfo) {
  const uint32_t top = CurrentThreadStackTop();
  WalkOptions options;
  options.useDebugInfo = useDebugInfo;
  options.threadID = GetCurrentThreadId();
  int entries = 0;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int round = 0; round < kRounds; ++round) {
    TTarvexStackList list;
    WalkStack(ProcessCallStackContext(), list, 0, stackPointer, top, options);
    entries = list.Count();
  }
  QueryPerformanceCounter(&end);
  std::printf("walk %s of %u stack bytes: %.3f ms per walk, %d entries\n",
              useDebugInfo ? "with lookup" : "modules only",
              top - stackPointer > kMaxStackScan ? kMaxStackScan : top - stackPointer,
              1000.0 * Seconds(start, end) / kRounds, entries);
}

__attribute__((noinline)) int Recurse(int depth) {
  volatile char frame[200];
  frame[0] = char(depth);
  if (depth == 0) {
    const uint32_t stackPointer = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    Measure(stackPointer, true);
    Measure(stackPointer, false);
    return frame[0];
  }
  return Recurse(depth - 1) + frame[0];
}

DWORD WINAPI DeepThread(void*) { return DWORD(Recurse(450)); }  // about 100 KB of frames

}  // namespace

int main() {
  const HANDLE thread = CreateThread(nullptr, 1 << 20, &DeepThread, nullptr, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return 0;
}
