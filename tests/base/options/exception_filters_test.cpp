#include "crashreport/base/options/exception_filters.h"

#include <gtest/gtest.h>

#include "crashreport/base/options/options.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;

TTarvexExceptionFilter Filter(const char* className, TTarvexFilterScope scope = fsAnyException, bool enabled = true,
                              const char* message = "") {
  return {enabled, className, message, scope, fdNone, fhIgnore, faNone};
}

TEST(ExceptionFilters, MatchingRules) {
  const rtl::EConvertError convert("x");
  const rtl::EAccessViolation access("y");
  const rtl::TActiveXException com("z", {"EOleError", "EMyServerError"});
  struct Case {
    const char* what;
    std::vector<TTarvexExceptionFilter> filters;
    const rtl::Exception& exception;
    bool handled;
    int expected;  // index of the matching filter, -1 for none
  };
  const Case cases[] = {
      {"exact class", {Filter("EConvertError")}, convert, false, 0},
      {"ancestor", {Filter("Exception")}, convert, false, 0},
      {"ancestry by name only", {Filter("EExternal")}, access, true, 0},
      {"unrelated class", {Filter("EStreamError")}, convert, false, -1},
      {"case matters", {Filter("econverterror")}, convert, false, -1},
      {"handled-only scope skips unhandled", {Filter("EConvertError", fsHandledExceptions)}, convert, false, -1},
      {"handled-only scope takes handled", {Filter("EConvertError", fsHandledExceptions)}, convert, true, 0},
      {"unhandled-only scope skips handled", {Filter("EConvertError", fsUnhandledExceptions)}, convert, true, -1},
      {"disabled never matches", {Filter("EConvertError", fsAnyException, false)}, convert, false, -1},
      {"first match wins over a later exact one", {Filter("Exception"), Filter("EConvertError")}, convert, false, 0},
      {"disabled first, next one matches",
       {Filter("EConvertError", fsAnyException, false), Filter("Exception")}, convert, false, 1},
      {"COM wrapper by carried name", {Filter("EMyServerError")}, com, false, 0},
      {"COM wrapper not by its own ancestry", {Filter("Exception")}, com, false, -1},
      {"empty list", {}, convert, false, -1},
  };
  for (const Case& c : cases) {
    TTarvexModuleOptions owner;
    for (const auto& f : c.filters) owner.Filters().Add(f);
    const TTarvexExceptionFilter* match = owner.Filters().Match(c.exception, c.handled);
    if (c.expected < 0) {
      EXPECT_EQ(match, nullptr) << c.what;
    } else {
      EXPECT_EQ(match, &owner.Filters()[static_cast<size_t>(c.expected)]) << c.what;
    }
  }
}

TEST(ExceptionFilters, ListEditingAndDeepAssignment) {
  TTarvexModuleOptions a, b;
  a.Filters().Add(Filter("EA"));
  a.Filters().Add(Filter("EB"));
  a.Filters().Add(Filter("EC"));
  a.Filters().Delete(1);
  a.Filters().Delete(7);  // out of range: nothing
  ASSERT_EQ(a.Filters().Count(), 2u);
  EXPECT_EQ(a.Filters()[1].ClassName, "EC");
  b.Filters().Assign(a.Filters());
  a.Filters().Clear();
  ASSERT_EQ(b.Filters().Count(), 2u);
  EXPECT_EQ(b.Filters()[0].ClassName, "EA");
}

}  // namespace
