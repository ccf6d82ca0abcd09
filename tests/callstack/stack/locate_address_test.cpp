#include "crashreport/callstack/stack/locate_address.h"

#include <gtest/gtest.h>

#include "tests/callstack/stack/synthetic_modules.h"

namespace {

using namespace tarvex;
using tarvex::testing::SyntheticModules;

// A debug source that knows one address range of one module.
class RangeSource : public DebugLookup {
 public:
  RangeSource(uint32_t begin, uint32_t end, const char* procedure) : begin_(begin), end_(end), procedure_(procedure) {}
  bool Locate(TTarvexModuleInfo&, uint32_t address, TTarvexStackItem& item) const override {
    if (address < begin_ || address >= end_) return false;
    item.InfoLevel = ilLine;
    item.UnitName = "main.cpp";
    item.ProcedureName = procedure_;
    item.Line = 10 + (address - begin_);
    item.LinesIntoProc = address - begin_;
    return true;
  }

 private:
  uint32_t begin_, end_;
  const char* procedure_;
};

class LocateAddressTest : public ::testing::Test {
 protected:
  LocateAddressTest() {
    TTarvexModuleInfo& module = modules.AddModule(0x400000, 0x10000, "C:\\app\\Program.exe");
    module.Functions.Add({"Unit.Exported", 0x408000, 0});
    module.Functions.Add({"Loader", 0x400100, 1});  // below the code section: size 1
    module.Functions.Sort();
  }

  TTarvexStackItem Locate(uint32_t address) {
    TTarvexStackItem item;
    LocateAddress(context, address, 42, item, true, 1);
    return item;
  }

  BufferMemorySpace memory;
  SyntheticModules modules;
  RangeSource embedded{0x401000, 0x402000, "FromTable"};
  RangeSource external{0x401800, 0x403000, "FromMap"};
  int measured = 0;
  CallStackContext context{memory, modules, &embedded, &external,
                           [this](uint32_t) { return ++measured, 0x20u; }};
};

TEST_F(LocateAddressTest, AsksTheEmbeddedTableThenTheExternalSourceThenTheExports) {
  const struct {
    uint32_t address;
    uint8_t level;
    const char* procedure;
  } cases[] = {
      {0x401900, ilLine, "FromTable"},  // both know it: the table answers
      {0x402100, ilLine, "FromMap"},
      {0x408010, ilUnit, "Exported"},   // inside the measured export
      {0x408020, ilUnit, "Exported"},   // the range includes its end
      {0x408021, ilModule, ""},
      {0x400100, ilProcedure, "Loader"},
      {0x400102, ilModule, ""},
      {0x400050, ilModule, ""},         // before every export
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    const TTarvexStackItem item = Locate(c.address);
    EXPECT_EQ(item.InfoLevel, c.level);
    EXPECT_EQ(item.ProcedureName.str(), c.procedure);
    EXPECT_EQ(item.Address, c.address);
    ASSERT_NE(item.ModuleInfo, nullptr);
    EXPECT_EQ(item.ModuleInfo->Handle, 0x400000u);
  }
  EXPECT_EQ(measured, 1);  // an export's size is measured once and kept
}

TEST_F(LocateAddressTest, FillsTheCallerFieldsAndLeavesAnAddressOutsideModulesEmpty) {
  TTarvexStackItem item;
  item.UnitName = "stale";
  item.Line = 99;
  LocateAddress(context, 0x900000, 7, item, false, 0);
  EXPECT_EQ(item.InfoLevel, ilNone);
  EXPECT_EQ(item.ModuleInfo, nullptr);
  EXPECT_EQ(item.UnitName.str(), "");
  EXPECT_EQ(item.Line, 0u);
  EXPECT_EQ(item.ThreadID, 7u);
  EXPECT_EQ(item.Tag, 0);
  EXPECT_EQ(item.IsExceptionPoint, 0);

  const TTarvexStackItem located = Locate(0x401005);
  EXPECT_EQ(located.ThreadID, 42u);
  EXPECT_EQ(located.IsExceptionPoint, 1);
  EXPECT_EQ(located.Tag, 1);
  EXPECT_EQ(located.Line, 15u);
}

}  // namespace
