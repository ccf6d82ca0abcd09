#include "crashreport/callstack/stack/stack_text.h"

#include <gtest/gtest.h>

#include "crashreport/callstack/modules/module_info.h"

namespace {

using namespace tarvex;

TEST(StackText, SizeToKbRoundsToTheNearestTiesToEven) {
  const struct {
    uint32_t bytes;
    const char* text;
  } cases[] = {{0, ""}, {1, "0 Kb"}, {511, "0 Kb"}, {512, "0 Kb"}, {513, "1 Kb"}, {1024, "1 Kb"},
               {1536, "2 Kb"}, {2560, "2 Kb"}, {2561, "3 Kb"}, {3584, "4 Kb"}, {0xFFFFFFFF, "4194304 Kb"}};
  for (const auto& c : cases) EXPECT_EQ(SizeToKb(c.bytes), c.text) << c.bytes;
}

TEST(StackText, BasePriorityGivesThePriorityClassAndItsName) {
  const struct {
    int32_t base;
    uint32_t priorityClass;
    const char* name;
  } cases[] = {{0, 0, ""},         {1, 64, "Low"},      {4, 64, "Low"},         {5, 64, "Low"},
               {6, 0x4000, "Below-Normal"}, {7, 0x4000, "Below-Normal"}, {8, 32, "Normal"}, {9, 32, "Normal"},
               {10, 0x8000, "Above-Normal"}, {12, 0x8000, "Above-Normal"}, {13, 128, "High"}, {23, 128, "High"},
               {24, 256, "Real-Time"},  {31, 256, "Real-Time"}, {-1, 64, "Low"}};
  for (const auto& c : cases) {
    EXPECT_EQ(BasePriorityToClass(c.base), c.priorityClass) << c.base;
    EXPECT_EQ(PriorityClassName(c.priorityClass), c.name) << c.base;
  }
  EXPECT_EQ(PriorityClassName(0x10), "");
}

TEST(StackText, FileVersionTextJoinsTheFourHalvesAndTreatsZeroAsNone) {
  EXPECT_EQ(FileVersionText(0, 0), "");
  EXPECT_EQ(FileVersionText(0x00060001, 0x0002000B), "6.1.2.11");
  EXPECT_EQ(FileVersionText(0xFFFF0000, 0x00000001), "65535.0.0.1");
}

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
