#include "crashreport/callstack/modules/module_options.h"

#include <gtest/gtest.h>

#include "tests/base/options/options_test_support.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;
using options_test::MemoryBlocks;

constexpr uint32_t kProgram = 0x00400000;
constexpr uint32_t kLibrary = 0x10000000;

const char* const kNotActive =
    "\r\nCannot use 'CurrentTarvexLogOptions' function in module \"Lib.dll\" without activate TarvexLog.\r\n"
    "To activate TarvexLog use the new IDE \"Project/TarvexLog Options...\" menu.";

std::string AssertionOf(const TTarvexModulesList* modules) {
  try {
    RegisteredModuleOptions(modules, kLibrary, "C:\\Apps\\Plugins\\Lib.dll");
  } catch (const rtl::EAssertionFailed& failure) {
    return failure.Message();
  }
  return "no assertion";
}

TEST(RegisteredModuleOptions, AModuleWithoutOptionsFailsItsAssertion) {
  EXPECT_EQ(AssertionOf(nullptr), kNotActive);
  TTarvexModulesList modules;
  EXPECT_EQ(AssertionOf(&modules), kNotActive);
  auto library = std::make_unique<TTarvexModuleInfo>();
  library->Handle = kLibrary;
  TTarvexModuleInfo* record = modules.Add(std::move(library));
  EXPECT_EQ(AssertionOf(&modules), kNotActive) << "a record built without options";

  record->Options = std::make_unique<TTarvexModuleOptions>("C:\\Apps\\Plugins\\Lib.dll", kLibrary);
  EXPECT_EQ(&RegisteredModuleOptions(&modules, kLibrary, "Lib.dll"), record->Options.get());
}

EmbeddedData DataWith(const TTarvexModuleOptions& options, uint16_t version = kTarvexDataVersion) {
  rtl::ByteWriter stream;
  options.WriteToStream(stream);
  EmbeddedData data;
  data.version = version;
  data.optionStream = stream.Take();
  return data;
}

class ReadModuleOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRunningModuleHandle(kProgram); }
  void TearDown() override { SetRunningModuleHandle(0); }
  MemoryBlocks blocks;
};

TEST_F(ReadModuleOptionsTest, EmbeddedOptionsThenWhatTheModulePublished) {
  TTarvexModuleOptions embedded;
  embedded.SetMailServer("embedded.example");
  embedded.SetDialogKind(dkDetailed);
  const EmbeddedData data = DataWith(embedded);

  const auto fromData = ReadModuleOptions("Lib.dll", kLibrary, data, kProgram, blocks);
  EXPECT_TRUE(fromData->SameOptionsAs(embedded));
  EXPECT_EQ(fromData->ModuleHandle(), kLibrary);

  TTarvexModuleOptions live;
  live.SetMailServer("changed.at.run.time");
  rtl::ByteWriter block;
  block.WriteU8(1);
  live.WriteToStream(block);
  blocks.blocks[SharedOptionsName(blocks.ProcessId(), kLibrary)] = block.Take();
  EXPECT_EQ(ReadModuleOptions("Lib.dll", kLibrary, data, kProgram, blocks)->MailServer(), "changed.at.run.time");
  EXPECT_EQ(blocks.publications, 0) << "another module's options never publish";
}

TEST_F(ReadModuleOptionsTest, TheRunningModuleKeepsItsDataAndPublishesIt) {
  TTarvexModuleOptions embedded;
  embedded.SetWebAddress("http://bugs.example");
  blocks.blocks[SharedOptionsName(blocks.ProcessId(), kProgram)] = {1, 0, 0};  // stale, never read
  const auto options = ReadModuleOptions("App.exe", kProgram, DataWith(embedded), kProgram, blocks);
  EXPECT_EQ(options->WebAddress(), "http://bugs.example");
  EXPECT_EQ(blocks.publications, 1);
}

TEST_F(ReadModuleOptionsTest, NoDataGivesNoOptionsButTheRunningModuleTheDefaults) {
  // A system library: a failure inside it takes the main program's options.
  EXPECT_EQ(ReadModuleOptions("kernelbase.dll", kLibrary, std::nullopt, kProgram, blocks), nullptr);
  // A library whose own reporter published its options has them, without data too.
  TTarvexModuleOptions published;
  published.SetMailServer("published.by.the.library");
  rtl::ByteWriter block;
  block.WriteU8(1);
  published.WriteToStream(block);
  blocks.blocks[SharedOptionsName(blocks.ProcessId(), kLibrary)] = block.Take();
  const auto fromPublication = ReadModuleOptions("Lib.dll", kLibrary, std::nullopt, kProgram, blocks);
  ASSERT_NE(fromPublication, nullptr);
  EXPECT_EQ(fromPublication->MailServer(), "published.by.the.library");
  const TTarvexModuleOptions defaults;
  EXPECT_TRUE(ReadModuleOptions("App.exe", kProgram, std::nullopt, kProgram, blocks)->SameOptionsAs(defaults));
}

TEST_F(ReadModuleOptionsTest, ACutStreamLeavesDefaults) {

  TTarvexModuleOptions embedded;
  embedded.SetLogSwitch(true);
  embedded.SetMailServer("lost");
  EmbeddedData cut = DataWith(embedded);
  cut.optionStream.resize(20);
  const auto options = ReadModuleOptions("Lib.dll", kLibrary, cut, kProgram, blocks);
  EXPECT_TRUE(options->LogSwitch());
  EXPECT_EQ(options->MailServer(), "");
}

}  // namespace
