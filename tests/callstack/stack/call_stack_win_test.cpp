// The walk over the live process under Wine: the capturing thread's own
// stack, other threads stopped in known places, and saved stacks.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "crashreport/callstack/stack/call_stack_dump_win.h"
#include "crashreport/callstack/modules/modules_win.h"
#include "crashreport/callstack/stack/call_stack_context_win.h"
#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/callstack/stack/stack_text.h"
#include "crashreport/callstack/stack/stack_walk.h"
#include "crashreport/callstack/stack/thread_trace.h"
#include "crashreport/callstack/stack/thread_trace_win.h"
#include "crashreport/base/embedded_data/container.h"
#include "rtl/format.h"

namespace {

using namespace tarvex;

// Keeps the compiler from turning the call before it into a jump.
#define KEEP_FRAME() asm volatile("" ::: "memory")

uint32_t ToAddress(void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

__attribute__((noinline)) uint32_t StackPointer() {
  return ToAddress(__builtin_frame_address(0)) + 8;  // the caller's stack pointer before the call
}

// The start of the "call rel32" that returns to `returnAddress`.
uint32_t CallSite(void* returnAddress) { return ToAddress(returnAddress) - 5; }

// The chain A -> B -> C; C traces its own stack as if an exception were
// raised at `ExceptionAddress()`. Each function notes where it was called
// from and the source line of its own call.
struct Chain {
  std::vector<uint32_t> callSites;  // A's caller, A (calling B), B (calling C)
  std::vector<uint32_t> callLines;  // the lines of those calls
  std::unique_ptr<TTarvexStackList> list;
};

uint32_t ExceptionAddress();

constexpr uint32_t kFunctionCLine = __LINE__ + 1;
__attribute__((noinline)) void FunctionC(Chain& chain) {
  chain.callSites.push_back(CallSite(__builtin_return_address(0)));
  chain.list = TraceExceptionThread(ProcessCallStackContext(), ExceptionAddress(), StackPointer(),
                                    CurrentThreadStackTop(), GetCurrentThreadId(), TTarvexThreadsList());
  KEEP_FRAME();
}

// Inside C's prologue, which belongs to the line of its opening.
uint32_t ExceptionAddress() { return ToAddress(reinterpret_cast<void*>(&FunctionC)) + 1; }

__attribute__((noinline)) void FunctionB(Chain& chain) {
  chain.callSites.push_back(CallSite(__builtin_return_address(0)));
  chain.callLines.push_back(__LINE__ + 1);
  FunctionC(chain);
  KEEP_FRAME();
}

__attribute__((noinline)) void FunctionA(Chain& chain) {
  chain.callSites.push_back(CallSite(__builtin_return_address(0)));
  chain.callLines.push_back(__LINE__ + 1);
  FunctionB(chain);
  KEEP_FRAME();
}

// Index of the first entry at `address` from `from` on, or -1.
int Find(const TTarvexStackList& list, uint32_t address, int from = 0, int tag = 1) {
  for (int i = from; i < list.Count(); ++i)
    if (list[i].Address == address && list[i].Tag == tag) return i;
  return -1;
}

// The program's embedded line table names each entry of the chain.
TEST(CallStackUnderWine, CapturingThreadListsItsCallersInOrderWithTheirLines) {
  Chain chain;
  chain.callLines.push_back(__LINE__ + 1);
  FunctionA(chain);
  ASSERT_TRUE(chain.list);
  const TTarvexStackList& list = *chain.list;
  ASSERT_GT(list.Count(), 3);
  const struct {
    const char* procedure;
    uint32_t line;
  } expected[] = {{"FunctionC", kFunctionCLine},
                  {"FunctionB", chain.callLines[2]},
                  {"FunctionA", chain.callLines[1]},
                  {"TestBody", chain.callLines[0]}};
  EXPECT_EQ(list[0].IsExceptionPoint, 1);
  EXPECT_EQ(list[0].Address, ExceptionAddress());
  int at = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      const uint32_t site = chain.callSites[3 - i];
      at = Find(list, site, at + 1);
      ASSERT_GE(at, 0) << std::hex << site << "\n" << FormatCallStackDump(list);
    }
    SCOPED_TRACE(FormatCallStackDump(list));
    const TTarvexStackItem& entry = list[at];
    EXPECT_EQ(entry.ThreadID, GetCurrentThreadId());
    ASSERT_NE(entry.ModuleInfo, nullptr);
    EXPECT_EQ(entry.ModuleInfo->Handle, ToAddress(GetModuleHandleA(nullptr)));
    EXPECT_EQ(entry.InfoLevel, ilLine);
    EXPECT_EQ(entry.UnitName.str(), "call_stack_win_test.cpp");
    EXPECT_EQ(entry.ProcedureName.str(), expected[i].procedure);
    EXPECT_EQ(entry.Line, expected[i].line) << expected[i].procedure;
  }
}

// The record of the running program: its appended data, a line table that
// passes its key's check, and no external source although a map file lies
// beside it.
TEST(CallStackUnderWine, TheRunningProgramReadsItsOwnEmbeddedLineTable) {
  const TTarvexModuleInfo* module = FindModuleInfo(ToAddress(reinterpret_cast<void*>(&FunctionA)));
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->DebugVersion, kTarvexDataVersion);
  EXPECT_TRUE(std::any_of(std::begin(module->DebugHeader), std::end(module->DebugHeader), [](uint8_t b) { return b != 0; }));
  EXPECT_GT(module->LineInfo.size(), 1000u);
  EXPECT_EQ(module->DataKey, "call stack test");
  EXPECT_EQ(module->DataValid, 1);
  EXPECT_EQ(module->DebugSource, nullptr);
}

// A thread that waits inside a known function until told to end.
class ParkedThread {
 public:
  ParkedThread() {
    handle_ = CreateThread(nullptr, 0, &ParkedThread::Run, this, 0, &id_);
    while (!parked_) Sleep(1);
  }
  ~ParkedThread() {
    stop_ = true;
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
  }
  uint32_t Id() const { return id_; }
  uint32_t Handle() const { return ToAddress(handle_); }
  uint32_t StackTop() const { return stackTop_; }
  uint32_t WaitCallSite() const { return waitCallSite_; }

 private:
  static DWORD WINAPI Run(void* self) {
    static_cast<ParkedThread*>(self)->WaitInKnownFunction();
    return 0;
  }
  __attribute__((noinline)) void WaitInKnownFunction() {
    stackTop_ = CurrentThreadStackTop();
    Wait();
    KEEP_FRAME();
  }
  __attribute__((noinline)) void Wait() {
    waitCallSite_ = CallSite(__builtin_return_address(0));
    parked_ = true;
    while (!stop_) Sleep(5);
  }

  HANDLE handle_;
  DWORD id_ = 0;
  uint32_t stackTop_ = 0;
  uint32_t waitCallSite_ = 0;
  std::atomic<bool> parked_{false}, stop_{false};
};

TTarvexThreadsList ListOf(const ParkedThread& thread, bool withStackTop = true) {
  TTarvexThreadsList threads;
  TTarvexThreadInfo* entry = threads.AddEntry();
  entry->ThreadID = thread.Id();
  entry->Handle = thread.Handle();
  entry->StackTop = withStackTop ? thread.StackTop() : 0;
  return threads;
}

TEST(CallStackUnderWine, TracesAnotherThreadWaitingInAKnownFunction) {
  ParkedThread parked;
  for (bool withStackTop : {true, false}) {
    SCOPED_TRACE(withStackTop);
    const TTarvexThreadsList threads = ListOf(parked, withStackTop);
    TTarvexStackList list;
    TraceOtherThreads(ProcessCallStackContext(), TTarvexThreadsList(threads), GetCurrentThreadId(), 0,
                      kTraceOtherThreads, list);
    const int at = Find(list, parked.WaitCallSite());
    ASSERT_GE(at, 0) << FormatCallStackDump(list);
    EXPECT_EQ(list[at].ThreadID, parked.Id());
    for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list[i].ThreadID, parked.Id());
  }
}

TEST(CallStackUnderWine, TracesOnlyTheThreadsTheOptionsAskFor) {
  ParkedThread parked;
  int frameworkObject = 0;
  const struct {
    uint32_t options;
    bool framework;   // registered through the framework's thread object
    bool isException;
    bool traced;
  } cases[] = {
      {kTraceOtherThreads, false, false, true},   {kTraceFrameworkThreads, false, false, false},
      {kTraceFrameworkThreads, true, false, true}, {kTraceOtherThreads, true, false, false},
      {kTraceOtherThreads | kTraceFrameworkThreads, false, true, false},
  };
  for (const auto& c : cases) {
    TTarvexThreadsList threads = ListOf(parked);
    threads[0].ThreadObject = c.framework ? &frameworkObject : nullptr;
    TTarvexStackList list;
    TraceOtherThreads(ProcessCallStackContext(), threads, c.isException ? parked.Id() : GetCurrentThreadId(), 0,
                      c.options, list);
    EXPECT_EQ(Find(list, parked.WaitCallSite()) >= 0, c.traced) << c.options << c.framework << c.isException;
  }
}

DWORD WINAPI NapAndEnd(void*) {
  Sleep(50);
  return 0;
}

__attribute__((noinline)) void StartWorker(TTarvexThreadInfo& entry, HANDLE& worker, uint32_t& starterCallSite) {
  starterCallSite = CallSite(__builtin_return_address(0));
  DWORD id = 0;
  worker = CreateThread(nullptr, 0, &NapAndEnd, nullptr, CREATE_SUSPENDED, &id);
  entry.ThreadID = id;
  entry.Handle = ToAddress(worker);
  // What the resume hook does for the thread it resumes.
  SaveResumerStack(entry, GetCurrentThreadId(), StackPointer(), CurrentThreadStackTop(), ThisProcessMemory());
  entry.Resumed = 1;
  ResumeThread(worker);
  KEEP_FRAME();
}

TEST(CallStackUnderWine, AThreadCarriesTheSavedStackOfItsStarter) {
  TTarvexThreadsList threads;
  TTarvexThreadInfo& entry = *threads.AddEntry();
  HANDLE worker = nullptr;
  uint32_t starterCallSite = 0;
  StartWorker(entry, worker, starterCallSite);
  ASSERT_FALSE(entry.SavedStack.empty());

  TTarvexStackList list;
  TraceOtherThreads(ProcessCallStackContext(), TTarvexThreadsList(threads), GetCurrentThreadId(), 0,
                    kTraceOtherThreads, list);
  const int saved = Find(list, starterCallSite, 0, 0);
  ASSERT_GE(saved, 0) << FormatCallStackDump(list);
  EXPECT_EQ(list[saved].ThreadID, GetCurrentThreadId());  // the starter's identifier
  for (int i = 0; i < list.Count(); ++i)
    EXPECT_EQ(list[i].ThreadID, list[i].Tag == 1 ? entry.ThreadID : GetCurrentThreadId());

  // The exception thread's own saved stack follows its live entries.
  threads[0].ThreadID = GetCurrentThreadId();
  auto own = TraceExceptionThread(ProcessCallStackContext(), 0, StackPointer(), CurrentThreadStackTop(),
                                  GetCurrentThreadId(), TTarvexThreadsList(threads));
  EXPECT_GE(Find(*own, starterCallSite, 0, 0), 0);
  WaitForSingleObject(worker, INFINITE);
  CloseHandle(worker);
}

// Allocates and frees without pause, so a suspension often lands inside the heap.
class AllocatorHammer {
 public:
  AllocatorHammer() : thread_([this] { Run(); }) {}
  ~AllocatorHammer() {
    stop_ = true;
    thread_.join();
  }
  uint32_t Id() const { return id_; }
  uint32_t Handle() const { return ToAddress(handle_); }
  uint32_t StackTop() const { return stackTop_; }
  void WaitUntilRunning() const {
    while (!running_) Sleep(1);
  }

 private:
  void Run() {
    id_ = GetCurrentThreadId();
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &handle_, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    stackTop_ = CurrentThreadStackTop();
    running_ = true;
    unsigned seed = 1;
    while (!stop_) {
      std::vector<std::unique_ptr<char[]>> blocks;
      for (int i = 0; i < 64; ++i) blocks.emplace_back(new char[1 + (seed = seed * 1103515245 + 12345) % 4000]);
      void* raw = HeapAlloc(GetProcessHeap(), 0, 1 + seed % 9000);
      HeapFree(GetProcessHeap(), 0, raw);
    }
    CloseHandle(handle_);
  }

  std::atomic<bool> running_{false}, stop_{false};
  DWORD id_ = 0;
  HANDLE handle_ = nullptr;
  uint32_t stackTop_ = 0;
  std::thread thread_;
};

TEST(CallStackUnderWine, TracingAThreadBusyInTheAllocatorNeverDeadlocks) {
  AllocatorHammer hammer;
  hammer.WaitUntilRunning();
  TTarvexThreadsList threads;
  TTarvexThreadInfo* entry = threads.AddEntry();
  entry->ThreadID = hammer.Id();
  entry->Handle = hammer.Handle();
  entry->StackTop = hammer.StackTop();
  int traced = 0;
  for (int round = 0; round < 300; ++round) {
    TTarvexStackList list;
    TraceOtherThreads(ProcessCallStackContext(), TTarvexThreadsList(threads), GetCurrentThreadId(), 0,
                      kTraceOtherThreads, list);
    traced += list.Count() > 0;
  }
  EXPECT_EQ(traced, 300);
}

TEST(CallStackUnderWine, UnreadableStackMemoryNeverStopsAWalk) {
  // A committed page, a guard page, then a released region.
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const DWORD page = system.dwPageSize;
  auto* base = static_cast<uint8_t*>(VirtualAlloc(nullptr, 4 * page, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(base, nullptr);
  ASSERT_TRUE(VirtualAlloc(base, page, MEM_COMMIT, PAGE_READWRITE));
  ASSERT_TRUE(VirtualAlloc(base + page, page, MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD));
  auto* slots = reinterpret_cast<uint32_t*>(base);
  for (DWORD i = 0; i < page / 4; ++i) slots[i] = ToAddress(reinterpret_cast<void*>(&StackPointer)) + 16;

  TTarvexStackList list;
  WalkOptions options;
  WalkStack(ProcessCallStackContext(), list, 0, ToAddress(base), ToAddress(base) + 4 * page, options);
  MEMORY_BASIC_INFORMATION info;
  ASSERT_EQ(VirtualQuery(base + page, &info, sizeof info), sizeof info);
  EXPECT_EQ(info.Protect, DWORD(PAGE_READWRITE | PAGE_GUARD));  // the walk never touched the guard page
  VirtualFree(base, 0, MEM_RELEASE);

  // The freed region itself, and a start a few bytes below the top of the stack.
  WalkStack(ProcessCallStackContext(), list, 0, ToAddress(base), ToAddress(base) + 4 * page, options);
  const uint32_t top = CurrentThreadStackTop();
  WalkStack(ProcessCallStackContext(), list, 0, top - 8, top + 0x10000, options);
  SUCCEED();
}

TEST(CallStackUnderWine, DumpsAndDescribesAddresses) {
  const std::string dump = DumpCurrentCallStack(0);
  EXPECT_EQ(dump.rfind("00 $", 0), 0u) << dump;
  EXPECT_NE(dump.find("            01 $"), std::string::npos) << dump;
  EXPECT_NE(dump.find("call_stack_test.exe"), std::string::npos) << dump;

  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const uint32_t sleep = ToAddress(reinterpret_cast<void*>(GetProcAddress(kernel, "Sleep")));
  const std::string line = DescribeAddress(sleep);
  EXPECT_EQ(line.rfind(rtl::Format("$%8.8x - [%8.8x] ", sleep, ToAddress(kernel)), 0), 0u) << line;
  EXPECT_NE(line.find("kernel32.dll"), std::string::npos) << line;
}

}  // namespace
