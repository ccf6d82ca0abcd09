#include <gtest/gtest.h>

#include "crashreport/callstack/modules/module_info.h"
#include "crashreport/callstack/stack/stack_list.h"
#include "crashreport/base/options/options.h"
#include "crashreport/report/composer/report_tables.h"

namespace tarvex {
namespace {

std::unique_ptr<TTarvexStackItem> LeakEntry(const char* type, uint32_t address) {
  auto item = std::make_unique<TTarvexStackItem>();
  item->InfoLevel = ilLine;
  item->Tag = 1;
  item->IsLeak = 1;
  item->LeakType = type;
  item->LeakSize = 64;
  item->LeakCount = 2;
  item->ThreadID = 7;
  item->Address = address;
  item->ProcedureName = "Alloc";
  item->Line = 12;
  item->LinesIntoProc = 3;
  return item;
}

TEST(CallStackTable, LeakBlocksOpenWithTheLeakLineAndTranslateData) {
  TTarvexModuleOptions options;
  options.SetText(mtLeakData, "Daten");
  TTarvexStackList stack;
  stack.Add(LeakEntry("Data", 0x00401000));
  auto second = LeakEntry("TStringList", 0x00402000);
  second->ThreadID = 8;
  stack.Add(std::move(second));
  std::string table;
  AppendCallStackTable(table, options, &stack, nullptr);
  EXPECT_NE(table.find("|+Memory Leak: Type=Daten; Total size=64; Count=2 "), std::string::npos) << table;
  // The second block: closing dashes, a blank row (a live stack), its leak line.
  EXPECT_NE(table.find("|\r\n|          "), std::string::npos) << table;
  // A line longer than the table is cut at its edge.
  EXPECT_NE(table.find("|+Memory Leak: Type=TStringList; Total size=64; Co|\r\n"), std::string::npos) << table;
  EXPECT_NE(table.find("|00401000|"), std::string::npos);
  EXPECT_NE(table.find("|12[3]|"), std::string::npos);
}

TEST(CallStackTable, EntriesBelowTheShownLevelsAreLeftOut) {
  TTarvexModuleOptions options;
  options.SetCallStackFlags(0);  // lines only
  TTarvexStackList stack;
  stack.Add(LeakEntry("Data", 0x00401000));
  stack[0].InfoLevel = ilProcedure;
  std::string table;
  AppendCallStackTable(table, options, &stack, nullptr);
  EXPECT_EQ(table.find("00401000"), std::string::npos) << table;
  EXPECT_EQ(table.find("Memory Leak"), std::string::npos) << table;
}

}  // namespace
}  // namespace tarvex
