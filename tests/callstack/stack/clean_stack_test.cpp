#include "crashreport/callstack/stack/clean_stack.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crashreport/callstack/modules/module_info.h"

namespace {

using namespace tarvex;

TTarvexModuleInfo ModuleAt(uint32_t handle) {
  TTarvexModuleInfo module;
  module.Handle = handle;
  return module;
}
TTarvexModuleInfo moduleA = ModuleAt(0x400000), moduleB = ModuleAt(0x10000000);

struct Entry {
  uint32_t address;
  const char* procedure;  // "" for an entry without a name
  uint32_t linesIntoProc = 5;
  uint8_t level = ilLine;
  TTarvexModuleInfo* module = &moduleA;
  uint32_t thread = 1;
  uint8_t tag = 1;
};

void Fill(TTarvexStackList& list, const std::vector<Entry>& entries) {
  for (const Entry& e : entries) {
    auto item = std::make_unique<TTarvexStackItem>();
    item->Address = e.address;
    item->ProcedureName = e.procedure;
    item->UnitName = "Unit.cpp";
    item->LinesIntoProc = e.linesIntoProc;
    item->Line = 100 + e.linesIntoProc;
    item->InfoLevel = e.level;
    item->ModuleInfo = e.module;
    item->ThreadID = e.thread;
    item->Tag = e.tag;
    list.Add(std::move(item));
  }
}

// The InfoLevel of every entry after the clean-up, as a string of digits.
std::string Levels(const std::vector<Entry>& entries, int firstIndex = 0, bool dropUnnamed = false) {
  TTarvexStackList list;
  Fill(list, entries);
  CleanStackList(list, firstIndex, dropUnnamed);
  std::string levels;
  for (int i = 0; i < list.Count(); ++i) levels += char('0' + list[i].InfoLevel);
  return levels;
}

TEST(CleanStackList, BlanksAnAddressFoundAgainInTheNextTwoNamedEntriesOfItsModule) {
  // Found again one and two named entries further (unnamed and other-module entries don't count).
  EXPECT_EQ(Levels({{1, "P"}, {1, "P"}}), "04");
  EXPECT_EQ(Levels({{1, "P"}, {2, "Q"}, {9, "", 5, ilModule}, {7, "X", 5, ilLine, &moduleB}, {1, "P"}}), "04144");
  // Three named entries further: kept.
  EXPECT_EQ(Levels({{1, "P"}, {2, "Q"}, {3, "R"}, {1, "P"}}), "4444");
  // Same address in another module, or an unnamed duplicate: kept.
  EXPECT_EQ(Levels({{1, "P"}, {1, "P", 5, ilLine, &moduleB}}), "44");
  EXPECT_EQ(Levels({{1, "", 5, ilModule}, {1, "", 5, ilModule}}), "11");
  // Entries before firstIndex are left alone.
  EXPECT_EQ(Levels({{1, "P"}, {1, "P"}, {5, "S"}, {5, "S"}}, 1), "4404");
}

TEST(CleanStackList, BlanksStaleEntriesBeforeAProcedureFirstLine) {
  // P at line +3, stale Q and R, then P's first line (the routine a call went to).
  EXPECT_EQ(Levels({{1, "Main"}, {10, "P", 3}, {20, "Q"}, {30, "R"}, {40, "P", 0}}), "44004");
  // First-line entries of other procedures are passed over too.
  EXPECT_EQ(Levels({{10, "P", 3}, {20, "Q", 0}, {30, "P", 0}}), "404");
  // Nothing between: nothing to blank; no earlier entry of P: nothing either.
  EXPECT_EQ(Levels({{10, "P", 3}, {40, "P", 0}}), "44");
  EXPECT_EQ(Levels({{1, "Main"}, {20, "Q"}, {40, "P", 0}}), "444");
  // The stretch ends at another thread's or another tag's entries without blanking.
  EXPECT_EQ(Levels({{10, "P", 3}, {20, "Q", 5, ilLine, &moduleA, 2}, {40, "P", 0, ilLine, &moduleA, 2}}), "444");
  EXPECT_EQ(Levels({{10, "P", 3, ilLine, &moduleA, 1, 0}, {20, "Q"}, {40, "P", 0}}), "444");
}

TEST(CleanStackList, InTheDevelopmentEnvironmentDropsUnnamedAndHandlerEntries) {
  const std::vector<Entry> entries = {{1, "Main"}, {2, "", 5, ilModule}, {3, "TApplication.HandleException"},
                                      {4, "", 5, ilNone}, {5, "Run", 5, ilProcedure}};
  EXPECT_EQ(Levels(entries, 0, true), "42");
  EXPECT_EQ(Levels(entries, 0, false), "41402");
  EXPECT_EQ(Levels(entries, 2, true), "412");
}

}  // namespace
