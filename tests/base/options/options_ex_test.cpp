#include "crashreport/base/options/options_ex.h"

#include <gtest/gtest.h>

#include "options_test_support.h"

namespace {

using namespace tarvex;

using options_test::MemoryBlocks;

std::vector<bool> monitorCalls;
void RecordMonitor(bool run) { monitorCalls.push_back(run); }

class OptionsEx : public ::testing::Test {
 protected:
  static constexpr uint32_t kRunning = 0x00400000;
  void SetUp() override {
    SetRunningModuleHandle(kRunning);
    SetFreezeMonitorSwitch(RecordMonitor);
    monitorCalls.clear();
  }
  void TearDown() override {
    SetRunningModuleHandle(0);
    SetFreezeMonitorSwitch(nullptr);
  }
  MemoryBlocks blocks;
};

TEST_F(OptionsEx, BlockNameIsProcessAndModuleInHex) {
  EXPECT_EQ(SharedOptionsName(0x1A2B, 0x00400000), "00001A2B00400000");
  EXPECT_EQ(SharedOptionsName(0xFFFFFFFF, 0xABCDEF01), "FFFFFFFFABCDEF01");
}

TEST_F(OptionsEx, ChangesArePublishedAsAFlagAndTheStream) {
  TTarvexModuleOptionsEx options("App.exe", kRunning, blocks);
  options.SetWebAddress("http://bugs.example");
  ASSERT_EQ(blocks.publications, 1);
  const auto& block = blocks.blocks.at("00001A2B00400000");
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(block[0], 1);
  rtl::ByteWriter stream;
  options.WriteToStream(stream);
  EXPECT_TRUE(std::equal(stream.Bytes().begin(), stream.Bytes().end(), block.begin() + 1));

  TTarvexModuleOptionsEx other("App.exe", kRunning, blocks);
  other.ReloadShared();
  EXPECT_EQ(other.WebAddress(), "http://bugs.example");
}

TEST_F(OptionsEx, ReloadIgnoresAClearedFlagAndSurvivesACutBlock) {
  TTarvexModuleOptionsEx options("Lib.dll", 0x10000000, blocks);
  options.SetMailServer("kept");
  blocks.blocks["00001A2B10000000"] = {0, 1, 2, 3};
  options.ReloadShared();
  EXPECT_EQ(options.MailServer(), "kept");
  blocks.blocks["00001A2B10000000"] = {1, 1, 0, 0x30};  // cut after LogFlags
  options.ReloadShared();
  EXPECT_TRUE(options.LogSwitch());
  EXPECT_EQ(options.MailServer(), "kept");
  EXPECT_EQ(blocks.publications, 0) << "options of another module never publish";
}

TEST_F(OptionsEx, OnlyTheCurrentOptionsOfTheRunningModuleSwitchTheFreezeMonitor) {
  TTarvexModuleOptionsEx current("App.exe", kRunning, blocks, TTarvexModuleOptionsEx::Role::Current);
  current.SetFreezeWatch(true);   // Active and FreezeWatch: run
  current.SetFreezeWatch(true);   // no change: nothing
  current.SetActive(false);       // stop
  current.SetActive(true);        // run again
  current.SetFreezeWatch(false);  // stop
  EXPECT_EQ(monitorCalls, (std::vector<bool>{true, false, true, false}));

  monitorCalls.clear();
  TTarvexModuleOptionsEx module("App.exe", kRunning, blocks);
  module.SetFreezeWatch(true);
  TTarvexModuleOptionsEx otherCurrent("Lib.dll", 0x10000000, blocks, TTarvexModuleOptionsEx::Role::Current);
  otherCurrent.SetFreezeWatch(true);
  EXPECT_TRUE(monitorCalls.empty());
  EXPECT_TRUE(module.FreezeWatch());
  EXPECT_TRUE(otherCurrent.FreezeWatch());
}

TEST_F(OptionsEx, CopyIntoTheCurrentOptionsPublishesOnceAndSwitchesTheMonitor) {
  TTarvexModuleOptions source("Lib.dll", 0x10000000);
  source.SetFreezeWatch(true);
  source.SetMailServer("lib.example");
  TTarvexModuleOptionsEx current("App.exe", kRunning, blocks, TTarvexModuleOptionsEx::Role::Current);
  current.CopyFrom(&source);
  EXPECT_EQ(blocks.publications, 1);
  EXPECT_EQ(monitorCalls, std::vector<bool>{true});
  EXPECT_EQ(current.MailServer(), "lib.example");
}

}  // namespace
