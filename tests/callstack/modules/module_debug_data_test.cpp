#include "crashreport/callstack/modules/module_debug_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crashreport/callstack/debuginfo/data_key.h"
#include "crashreport/callstack/stack/debug_lookups.h"

namespace {

using namespace tarvex;

constexpr uint32_t kHandle = 0x400000;
constexpr char kKey[] = "module key";

// One unit "Main.cpp" at 0x100..0x11F from line 10; one record starts the
// procedure Calc.Run one byte in, at line 11. Names enciphered with kKey.
std::vector<uint8_t> LineTable() {
  std::vector<uint8_t> table;
  auto u32 = [&](uint32_t v) { table.insert(table.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); };
  auto name = [&](std::string text) {
    ApplyDataKey(kKey, reinterpret_cast<uint8_t*>(text.data()), text.size());
    table.push_back(uint8_t(text.size()));
    table.insert(table.end(), text.begin(), text.end());
  };
  u32(1);
  name("Main.cpp");
  u32(10), u32(0x100), u32(0x20), u32(1 + 1 + 8);
  table.push_back(0x01);  // new procedure; address and line step 1
  name("Calc.Run");
  return table;
}

EmbeddedData Container(std::vector<uint8_t> debugInfo) {
  EmbeddedData data;
  data.version = 6001;
  data.buildInfo = {1, 2, 3, 4, 5, 6, 7, 8};
  data.debugInfo = std::move(debugInfo);
  return data;
}

TTarvexStackItem Locate(TTarvexModuleInfo& module, uint32_t offset) {
  const BufferMemorySpace memory;
  TTarvexStackItem item;
  EXPECT_TRUE(EmbeddedLineTableLookup(memory).Locate(module, kHandle + 0x1000 + offset, item));
  return item;
}

TEST(ModuleDebugData, TheLineTableOfTheBlockIsReadWithTheModulesKey) {
  const std::vector<uint8_t> table = LineTable();
  const EmbeddedData data = Container(MakeDebugInformationBlock(table, kKey));
  const struct {
    const char* key;
    uint8_t valid;
    const char* procedure;
  } cases[] = {{kKey, 1, "Run"}, {"another key", 0, "?"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    TTarvexModuleInfo module;
    module.Handle = kHandle;
    SetEmbeddedDebugData(module, &data, c.key);
    EXPECT_EQ(module.DebugVersion, 6001);
    EXPECT_EQ(std::vector<uint8_t>(std::begin(module.DebugHeader), std::end(module.DebugHeader)),
              std::vector<uint8_t>(data.buildInfo.begin(), data.buildInfo.end()));
    EXPECT_EQ(module.LineInfo, table);
    EXPECT_EQ(module.DataKey, c.key);
    EXPECT_EQ(module.DataValid, c.valid);
    const TTarvexStackItem item = Locate(module, 0x110);
    EXPECT_EQ(item.InfoLevel, ilLine);
    EXPECT_EQ(item.Line, 11u);  // the line is found with either key
    EXPECT_EQ(item.ProcedureName.str().rfind(c.procedure, 0), 0u) << item.ProcedureName.str();
  }
}

TEST(ModuleDebugData, WithoutALineTableTheRecordHasNone) {
  const EmbeddedData noBlock = Container({});
  const EmbeddedData cutBlock = Container({0x12, 0x34});
  const struct {
    const char* what;
    const EmbeddedData* data;
    uint16_t version;
    uint8_t header0;
    uint8_t valid;
  } cases[] = {
      {"no container", nullptr, kTarvexDataVersion, 0, 1},
      {"a container without debug information", &noBlock, 6001, 1, 1},
      {"a block shorter than its key check", &cutBlock, 6001, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TTarvexModuleInfo module;
    module.DebugVersion = 1;  // what an earlier load left
    module.DebugHeader[0] = 9;
    module.LineInfo = {1, 2, 3};
    module.DataValid = 0;
    SetEmbeddedDebugData(module, c.data, kKey);
    EXPECT_EQ(module.DebugVersion, c.version);
    EXPECT_EQ(module.DebugHeader[0], c.header0);
    EXPECT_TRUE(module.LineInfo.empty());
    EXPECT_EQ(module.DataValid, c.valid);
    EXPECT_EQ(module.DataKey, kKey);
  }
}

}  // namespace
