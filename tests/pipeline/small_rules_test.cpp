// The message pump's rules, the restart command line and the safecall marker.
#include <gtest/gtest.h>

#include "crashreport/pipeline/handling/message_pump_rules.h"
#include "crashreport/pipeline/handling/restart.h"
#include "crashreport/pipeline/handling/safecall.h"

namespace {

using namespace tarvex;

TEST(MessagePumpRules, ByMessage) {
  struct Case {
    uint32_t message;
    TPumpAction action;
  };
  const Case cases[] = {
      {0x0012, TPumpAction::Drop},        {0x000F, TPumpAction::Dispatch},     // WM_PAINT
      {0x00A0, TPumpAction::Dispatch},    {0x00A1, TPumpAction::BeepAndDrop},  // NC mouse move, NC button
      {0x00A9, TPumpAction::BeepAndDrop}, {0x0100, TPumpAction::BeepAndDrop},  // key down
      {0x0102, TPumpAction::BeepAndDrop}, {0x0113, TPumpAction::Dispatch},     // WM_CHAR, WM_TIMER
      {0x0200, TPumpAction::Dispatch},    {0x0201, TPumpAction::BeepAndDrop},  // mouse move, button
      {0x020A, TPumpAction::Dispatch},    {0x020B, TPumpAction::BeepAndDrop},  // wheel, X button
      {0x0400, TPumpAction::Dispatch},                                         // WM_USER
  };
  for (const Case& c : cases) EXPECT_EQ(PumpActionFor(c.message), c.action) << std::hex << c.message;
}

TEST(Restart, CommandLineAndFlags) {
  EXPECT_EQ(RestartCommandLine("\"C:\\app\\calc.vshost.exe\" /x"), "\"C:\\app\\calc.exe\" /x");
  EXPECT_EQ(RestartCommandLine("crashlab.exe --kind av"), "crashlab.exe --kind av");
  EXPECT_EQ(kRestartCreationFlags, 0x200u | 0x20u);  // new process group, normal priority
}

TEST(SafeCall, Prefix) {
  EXPECT_EQ(WithSafeCallPrefix("boom"), "[SafeCall Exception]: boom");
  EXPECT_EQ(WithSafeCallPrefix("[SafeCall Exception]: boom"), "[SafeCall Exception]: boom");
  EXPECT_FALSE(IsSafeCallMessage("boom [SafeCall Exception]: "));
}

}  // namespace
