#include "crashreport/callstack/hooks/virtual_slot_hooks.h"

#include <gtest/gtest.h>

#include "crashreport/callstack/hooks/hook_errors.h"
#include "tests/callstack/hooks/executable_code_win.h"

// Classes with external linkage: for a class in an anonymous namespace the
// compiler knows every override and calls it directly, past the method table.
struct SlotTestCounter {
  virtual int Value() const { return 3; }
};
struct SlotTestReplacement {
  virtual int Value() const { return 99; }
};
struct SlotTestSecondReplacement {
  virtual int Value() const { return 7; }
};

namespace {

using Counter = SlotTestCounter;
using Replacement = SlotTestReplacement;

// A real virtual call: no inlining, cloning or devirtualisation for the known object.
[[gnu::noipa]] int CallValue(const Counter& counter) { return counter.Value(); }

using namespace tarvex;
using namespace tarvex::testsupport;

void** MethodTable(const void* object) { return *static_cast<void** const*>(object); }

TEST(VirtualSlotHooks, PatchesTheSlotOnceAndRestoresIt) {
  const Counter counter;
  const Replacement replacement;
  void** const table = MethodTable(&counter);
  void* const original = table[0];
  void* const newRoutine = MethodTable(&replacement)[0];
  const DWORD protection = ProtectionAt(table);

  THookedMethodsList list;
  EXPECT_EQ(list.Patch(table, 0, newRoutine), original);
  EXPECT_EQ(CallValue(counter), 99);
  EXPECT_EQ(list.Patch(table, 0, newRoutine), original) << "hooking twice returns the saved routine";
  EXPECT_EQ(list.Count(), 1u);
  EXPECT_EQ(ProtectionAt(table), protection) << "method table not left writable";

  EXPECT_TRUE(list.Restore(table, 0));
  EXPECT_EQ(table[0], original);
  EXPECT_EQ(CallValue(counter), 3);
  EXPECT_FALSE(list.Restore(table, 0)) << "not hooked any more";
  EXPECT_EQ(list.Count(), 0u);
}

TEST(VirtualSlotHooks, ASlotHookedAgainWithAnotherRoutineUnwindsOneHookAtATime) {
  const Counter counter;
  const Replacement replacement;
  const SlotTestSecondReplacement second;
  void** const table = MethodTable(&counter);
  void* const original = table[0];
  void* const first = MethodTable(&replacement)[0];

  THookedMethodsList list;
  EXPECT_EQ(list.Patch(table, 0, first), original);
  EXPECT_EQ(list.Patch(table, 0, MethodTable(&second)[0]), first);
  EXPECT_EQ(CallValue(counter), 7);
  EXPECT_TRUE(list.Restore(table, 0));
  EXPECT_EQ(CallValue(counter), 99);
  EXPECT_TRUE(list.Restore(table, 0));
  EXPECT_EQ(table[0], original);
}

TEST(VirtualSlotHooks, DestroyingTheListUnhooksEverySlot) {
  const Counter counter;
  const Replacement replacement;
  void** const table = MethodTable(&counter);
  void* const original = table[0];
  {
    THookedMethodsList list;
    list.Patch(table, 0, MethodTable(&replacement)[0]);
    ASSERT_EQ(CallValue(counter), 99);
  }
  EXPECT_EQ(table[0], original);
}

TEST(VirtualSlotHooks, RefusesTablesOutsideLoadedModules) {
  ExecutableCode heapTable;  // a page of its own, in no module
  THookedMethodsList list;
  EXPECT_THROW(list.Patch(heapTable.Start(), 0, nullptr), EHookingError);
  EXPECT_EQ(list.Count(), 0u);
}

TEST(VirtualSlotHooks, ProcessWideListBehindTheFreeFunctions) {
  const Counter counter;
  const Replacement replacement;
  void** const table = MethodTable(&counter);
  void* const original = PatchVirtualSlot(table, 0, MethodTable(&replacement)[0]);
  EXPECT_EQ(CallValue(counter), 99);
  EXPECT_TRUE(RestoreVirtualSlot(table, 0));
  EXPECT_EQ(table[0], original);
  EXPECT_EQ(HookedMethods().Count(), 0u);
}

}  // namespace
