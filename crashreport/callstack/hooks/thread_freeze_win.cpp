#include "crashreport/callstack/hooks/thread_freeze_win.h"

#include <winternl.h>

#include <algorithm>

namespace tarvex {

namespace {

// Threads started while the others are being suspended give another round;
// a process that starts threads faster than that is not frozen.
constexpr int kMaxRounds = 16;
constexpr size_t kInitialListBytes = 64 * 1024;
constexpr size_t kInitialThreadRoom = 256;

using QuerySystemInformation = NTSTATUS(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
constexpr NTSTATUS kInfoLengthMismatch = NTSTATUS(0xC0000004);

QuerySystemInformation QueryFunction() {
  static const auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  return query;
}

static_assert(sizeof(void*) != 4 || sizeof(SYSTEM_PROCESS_INFORMATION) == 0xB8,
              "the thread records follow a 184-byte process record on 32-bit Windows");

// The system's list: one SYSTEM_PROCESS_INFORMATION record per process, its
// SYSTEM_THREAD_INFORMATION records right after it, NextEntryOffset to the
// next process (0 on the last). Reads this process's thread ids into `ids`
// without growing it (kTooSmall when the buffer or `ids` lacks room).
enum class ListResult { kListed, kTooSmall, kFailed };
ListResult ListThreads(std::vector<uint8_t>& buffer, std::vector<DWORD>& ids) {
  const QuerySystemInformation query = QueryFunction();
  if (query == nullptr) return ListResult::kFailed;
  ULONG needed = 0;
  const NTSTATUS status = query(SystemProcessInformation, buffer.data(), ULONG(buffer.size()), &needed);
  if (status == kInfoLengthMismatch) return ListResult::kTooSmall;
  if (status < 0) return ListResult::kFailed;

  const uintptr_t self = GetCurrentProcessId();
  for (size_t at = 0;;) {
    const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
    if (reinterpret_cast<uintptr_t>(process->UniqueProcessId) == self) {
      // The thread records follow the fixed part of the process record.
      const auto* threads = reinterpret_cast<const SYSTEM_THREAD_INFORMATION*>(process + 1);
      if (process->NumberOfThreads > ids.capacity()) return ListResult::kTooSmall;
      ids.clear();
      for (ULONG i = 0; i < process->NumberOfThreads; ++i)
        ids.push_back(DWORD(reinterpret_cast<uintptr_t>(threads[i].ClientId.UniqueThread)));
      return ListResult::kListed;
    }
    if (process->NextEntryOffset == 0) return ListResult::kFailed;
    at += process->NextEntryOffset;
  }
}

}  // namespace

TThreadFreeze::TThreadFreeze() {
  processes_.resize(kInitialListBytes);
  ids_.reserve(kInitialThreadRoom);
  held_.reserve(kInitialThreadRoom);
  for (int round = 0; round < kMaxRounds; ++round) {
    switch (SuspendUnheld()) {
      case Round::kNoNewThreads:
        frozen_ = true;
        return;
      case Round::kNewThreads:
        break;
      case Round::kStorageTooSmall:
        // Grown only while every thread runs: a frozen one may hold the heap.
        ResumeAll();
        processes_.resize(processes_.size() * 2);
        ids_.reserve(ids_.capacity() * 2);
        held_.reserve(held_.capacity() * 2);
        break;
      case Round::kCannotList:
        ResumeAll();
        return;
    }
  }
  ResumeAll();
}

TThreadFreeze::~TThreadFreeze() { ResumeAll(); }

TThreadFreeze::Round TThreadFreeze::SuspendUnheld() {
  switch (ListThreads(processes_, ids_)) {
    case ListResult::kTooSmall: return Round::kStorageTooSmall;
    case ListResult::kFailed: return Round::kCannotList;
    case ListResult::kListed: break;
  }
  const DWORD self = GetCurrentThreadId();
  bool found = false;
  for (const DWORD id : ids_) {
    if (id == self) continue;
    const bool held = std::any_of(held_.begin(), held_.end(), [&](const Held& h) { return h.id == id; });
    if (held) continue;
    if (held_.size() == held_.capacity()) return Round::kStorageTooSmall;
    const HANDLE thread =
        OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, id);
    if (thread == nullptr) continue;  // ended meanwhile
    if (SuspendThread(thread) == DWORD(-1)) {
      CloseHandle(thread);
      continue;
    }
    held_.push_back({thread, id});
    found = true;
  }
  return found ? Round::kNewThreads : Round::kNoNewThreads;
}

void TThreadFreeze::ResumeAll() {
  for (const Held& thread : held_) {
    ResumeThread(thread.handle);
    CloseHandle(thread.handle);
  }
  held_.clear();
  frozen_ = false;
}

bool TThreadFreeze::MoveThreadsInside(uint32_t from, uint32_t size, uint32_t to) {
  bool moved = true;
  for (const Held& thread : held_) {
    // Also waits until the thread has really stopped: suspension is asynchronous.
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    if (!GetThreadContext(thread.handle, &context)) continue;
    const uint32_t offset = context.Eip - from;
    if (offset == 0 || offset >= size) continue;
    context.Eip = to + offset;
    moved = SetThreadContext(thread.handle, &context) && moved;
  }
  return moved;
}

}  // namespace tarvex
