// Caught exceptions reported at the end of the program's catch block.
#include "crashreport/pipeline/interception/end_of_catch_win.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "rtl/exception.h"
#include "tests/pipeline/installed_target_win.h"

namespace {

using tarvex::testing::Installed;

__attribute__((noinline)) void ThrowConvertError() { throw rtl::EConvertError("caught"); }

void CatchPlainly() {
  try {
    ThrowConvertError();
  } catch (const rtl::Exception&) {
  }
}
void CatchAfterARethrow() {
  try {
    try {
      ThrowConvertError();
    } catch (const rtl::Exception&) {
      throw;  // this block ends while the exception travels on
    }
  } catch (const rtl::EConvertError&) {
  }
}
void CatchAbort() {
  try {
    throw rtl::EAbort("quiet");
  } catch (const rtl::EAbort&) {
  }
}
void CatchForeign() {
  try {
    throw std::runtime_error("foreign");
  } catch (const std::exception&) {
  }
}

TEST(EndOfCatch, ReportsACaughtExceptionOnceWhenItsHandlerBlockEnds) {
  struct Case {
    const char* what;
    void (*run)();
    bool reportCaught;
    int reports;
  };
  const Case cases[] = {
      {"caught", CatchPlainly, true, 1},
      {"caught, without the option", CatchPlainly, false, 0},
      {"rethrown, then caught", CatchAfterARethrow, true, 1},
      {"EAbort", CatchAbort, true, 0},
      {"not of the runtime's classes", CatchForeign, true, 0},
  };
  for (const Case& c : cases) {
    tarvex::TFrontDoorState state{true};
    state.ReportCaught = c.reportCaught;
    Installed points(state);
    c.run();
    EXPECT_EQ(points.keeper.calls, c.reports) << c.what;
    if (c.reports == 0 || !points.keeper.seen) continue;
    EXPECT_TRUE(points.keeper.seen->Handled) << c.what;
    EXPECT_EQ(points.keeper.seen->RaiseKind, tarvex::rkUncaught) << c.what;
    const uint32_t start = reinterpret_cast<uint32_t>(&ThrowConvertError);
    EXPECT_GE(points.keeper.seen->Address, start) << c.what;
    EXPECT_LT(points.keeper.seen->Address, start + 0x100) << c.what;
  }
}

}  // namespace
