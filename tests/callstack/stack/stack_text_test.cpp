#include "crashreport/callstack/stack/stack_text.h"

#include <gtest/gtest.h>

#include "crashreport/callstack/modules/module_info.h"

namespace {

using namespace tarvex;

TEST(StackText, ShownDetailSetFollowsTheOptionBits) {
  const struct {
    uint32_t options;
    TTarvexInfoLevelSet shown;
  } cases[] = {{0, {ilLine}},
               {kShowProcedures, {ilLine, ilProcedure}},
               {kShowUnits, {ilLine, ilUnit}},
               {kShowProcedures | kShowUnits | kTraceOtherThreads, {ilLine, ilProcedure, ilUnit}}};
  for (const auto& c : cases) EXPECT_EQ(ShownDetailSet(c.options), c.shown) << c.options;
  EXPECT_FALSE(ShownDetailSet(~0u).Contains(ilModule));
  EXPECT_FALSE(kAllInfoLevels.Contains(8));
  EXPECT_FALSE(TTarvexInfoLevelSet{}.Contains(200));
}

class StackTextDump : public ::testing::Test {
 protected:
  StackTextDump() {
    module.Handle = 0x400000;
    module.FileName = "C:\\app\\Program.exe";
    auto named = std::make_unique<TTarvexStackItem>();
    named->Address = 0x401234;
    named->ModuleInfo = &module;
    named->UnitName = "calc.cpp";
    named->ClassName = "Form6";
    named->ProcedureName = "Convert";
    named->Line = 57;
    named->LinesIntoProc = 3;
    list.Add(std::move(named));
    auto bare = std::make_unique<TTarvexStackItem>();
    bare->Address = 0x7BC01000;
    list.Add(std::move(bare));
  }
  TTarvexModuleInfo module;
  TTarvexStackList list;
};

TEST_F(StackTextDump, DescribesOneEntry) {
  EXPECT_EQ(DescribeStackItem(list[0]), "$00401234 - [00400000] C:\\app\\Program.exe - calc.cpp - Form6 - Convert - 57[3]");
  EXPECT_EQ(DescribeStackItem(list[1]), "$7bc01000 - [00000000]  -  -  -  - 0[0]");
}

TEST_F(StackTextDump, DumpsOneIndentedLinePerEntry) {
  EXPECT_EQ(FormatCallStackDump(list),
            "00 $00401234 - [00400000] Program.exe - calc.cpp - Form6 - Convert - 57[3]\r\n"
            "            01 $7bc01000 - [00000000]  \r\n");
  EXPECT_EQ(FormatCallStackDump(TTarvexStackList()), "");
}

}  // namespace
