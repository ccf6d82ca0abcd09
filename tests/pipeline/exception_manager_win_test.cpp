// The entry through which the framework's hooks hand over an exception.
#include "crashreport/pipeline/interception/exception_manager_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "crashreport/pipeline/threads/front_door_win.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/interception/raise_record_win.h"
#include "rtl/exception.h"
#include "tests/pipeline/installed_target_win.h"

namespace {

using namespace tarvex;

using tarvex::testing::Installed;

TEST(ExceptionManager, LeavesToTheFrameworkWhatItMayNotHandle) {
  const rtl::EConvertError error("bad");
  const rtl::EAbort quiet("quiet");
  EXPECT_TRUE(ExceptionManager(&error, 0x401000, okApplication, 0)) << "no interception points";
  struct Case {
    const char* what;
    bool installed;
    bool excluded;
    const rtl::Exception* object;
  };
  const Case cases[] = {
      {"not installed", false, false, &error},
      {"excluded thread", true, true, &error},
      {"EAbort, and the last raise is not manageable either", true, false, &quiet},
  };
  for (const Case& c : cases) {
    Installed points(TFrontDoorState{c.installed});
    if (c.excluded) ExcludeThread(GetCurrentThreadId());
    EXPECT_TRUE(ExceptionManager(c.object, 0x401000, okApplication, 0)) << c.what;
    if (c.excluded) IncludeThread(GetCurrentThreadId());
    EXPECT_FALSE(points.keeper.seen.has_value()) << c.what;
  }
}

TEST(ExceptionManager, HandsTheExceptionToTheFrontDoor) {
  Installed points(TFrontDoorState{true});
  const rtl::EConvertError error("bad");
  EXPECT_FALSE(ExceptionManager(&error, 0x401234, okApplication, 0x400000)) << "the handling's answer";
  ASSERT_TRUE(points.keeper.seen.has_value());
  EXPECT_EQ(points.keeper.seen->Object, &error);
  EXPECT_EQ(points.keeper.seen->Address, 0x401234u);
  EXPECT_EQ(points.keeper.seen->OutputKind, okApplication);
  EXPECT_EQ(points.keeper.seen->Module, 0x400000u);
  EXPECT_EQ(points.keeper.seen->ThreadId, GetCurrentThreadId());
}

__attribute__((noinline)) void ThrowConvertError() { throw rtl::EConvertError("raised"); }

TEST(ExceptionManager, WithoutAnObjectTheLastRaisedOneStandsIn) {
  Installed points(TFrontDoorState{true});
  try {
    ThrowConvertError();
  } catch (const rtl::EConvertError& raised) {
    EXPECT_FALSE(points.keeper.seen.has_value()) << "caught by the program: not reported at the raise";
    EXPECT_FALSE(ExceptionManager(nullptr, 0, okAutomatic, 0));
    ASSERT_TRUE(points.keeper.seen.has_value());
    EXPECT_EQ(points.keeper.seen->Object, &raised);
    EXPECT_EQ(points.keeper.seen->Address, LastRaise().Address);
    const uint32_t start = reinterpret_cast<uint32_t>(&ThrowConvertError);
    EXPECT_GE(points.keeper.seen->Address, start);
    EXPECT_LT(points.keeper.seen->Address, start + 0x100) << "the call of the throw in the raising function";
  }
}

}  // namespace
