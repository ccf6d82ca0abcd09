#include "crashreport/callstack/hooks/hooks_shutdown.h"

#include <gtest/gtest.h>

#include "crashreport/callstack/hooks/import_hooks.h"
#include "crashreport/callstack/hooks/procedure_hooks.h"
#include "crashreport/callstack/hooks/virtual_slot_hooks.h"
#include "tests/callstack/hooks/executable_code_win.h"
#include "tests/support/hex_bytes.h"

// External linkage, so that calls go through the method table (see virtual_slot_hooks_win_test.cpp).
struct ShutdownTestShape {
  virtual int Sides() const { return 3; }
};
struct ShutdownTestSquare {
  virtual int Sides() const { return 4; }
};

namespace {

using Shape = ShutdownTestShape;
using Square = ShutdownTestSquare;

using namespace tarvex;
using namespace tarvex::testsupport;

[[gnu::noipa]] int CallSides(const Shape& shape) { return shape.Sides(); }

DWORD WINAPI FakeTickCount() { return 7; }
[[gnu::noipa]] DWORD TickCount() { return GetTickCount(); }  // through the import table each time
int __cdecl ReturnMinusOne(int) { return -1; }

TEST(HooksDone, UndoesEveryKindOfHook) {
  // One hook of each kind, installed through the process-wide lists.
  HMODULE const self = GetModuleHandleA(nullptr);
  void* const tickCount = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount"));
  ASSERT_NE(TickCount(), 7u);
  HookImport(self, "kernel32.dll", tickCount, false, false, "kernel32.GetTickCount",
             reinterpret_cast<void*>(&FakeTickCount));

  const Shape shape;
  const Square square;
  void** const table = *reinterpret_cast<void** const*>(&shape);
  void* const sides = table[0];
  PatchVirtualSlot(table, 0, (*reinterpret_cast<void** const*>(&square))[0]);

  ExecutableCode routine(Hex("8B 44 24 04 83 C0 01 C3"));
  const std::vector<uint8_t> before = routine.Bytes();
  HookProcedure(routine.Start(), reinterpret_cast<void*>(&ReturnMinusOne), "Routine");

  ASSERT_EQ(TickCount(), 7u);
  ASSERT_EQ(CallSides(shape), 4);
  ASSERT_EQ(routine.As<int(__cdecl*)(int)>()(1), -1);

  HooksDone();
  EXPECT_NE(TickCount(), 7u);
  EXPECT_EQ(table[0], sides);
  EXPECT_EQ(CallSides(shape), 3);
  EXPECT_EQ(HookedMethods().Count(), 0u);
  EXPECT_EQ(routine.Bytes(), before);
  EXPECT_EQ(routine.As<int(__cdecl*)(int)>()(1), 2);

  HooksDone();  // nothing left to undo
  EXPECT_EQ(routine.Bytes(), before);
}

}  // namespace
