#include "crashreport/callstack/stack/threads_list.h"

#include <algorithm>

#include "crashreport/callstack/stack/stack_walk.h"

namespace tarvex {

void SaveResumerStack(TTarvexThreadInfo& entry, uint32_t resumerThreadID, uint32_t stackPointer, uint32_t stackTop,
                      const MemorySpace& memory) {
  entry.SavedStackThreadID = resumerThreadID;
  entry.SavedStack.clear();
  entry.SavedStack.shrink_to_fit();
  if (stackTop <= stackPointer) return;
  // A walk never looks further than kMaxStackScan bytes (plus its last slot) above its start.
  const uint32_t size = std::min(stackTop - stackPointer, kMaxStackScan + 4);
  std::vector<uint8_t> copy(size);
  if (!ReadMemory(memory, stackPointer, copy.data(), size)) return;
  entry.SavedStack = std::move(copy);
  entry.SavedStackAddress = stackPointer;
}

TTarvexThreadsList::TTarvexThreadsList(const TTarvexThreadsList& source) {
  ThreadsReadLock lock(source);
  entries_.reserve(source.entries_.size());
  for (const auto& entry : source.entries_) entries_.push_back(std::make_unique<TTarvexThreadInfo>(*entry));
}

TTarvexThreadInfo* TTarvexThreadsList::Add(std::unique_ptr<TTarvexThreadInfo> entry) {
  entries_.push_back(std::move(entry));
  return entries_.back().get();
}

template <typename Match>
int TTarvexThreadsList::LastIndexWhere(Match match) const {
  for (int i = Count() - 1; i >= 0; --i)
    if (match(*entries_[i])) return i;
  return -1;
}

int TTarvexThreadsList::IndexOfHandle(uint32_t handle) const {
  return LastIndexWhere([&](const TTarvexThreadInfo& e) { return e.Handle == handle; });
}

int TTarvexThreadsList::IndexOfThreadObject(const void* threadObject) const {
  return LastIndexWhere([&](const TTarvexThreadInfo& e) { return e.ThreadObject == threadObject; });
}

int TTarvexThreadsList::IndexOfThreadID(uint32_t threadID) const {
  return LastIndexWhere([&](const TTarvexThreadInfo& e) { return e.ThreadID == threadID; });
}

}  // namespace tarvex
