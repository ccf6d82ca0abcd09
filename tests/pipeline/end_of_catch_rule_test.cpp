#include "crashreport/pipeline/handling/end_of_catch_rule.h"

#include <gtest/gtest.h>

#include "crashreport/base/options/option_types.h"

namespace {

using namespace tarvex;

TEST(EndOfCatch, DecisionTable) {
  TLastReported last;
  last.Set("EConvertError", 0x401000);
  const TEndOfCatchFacts base{true, bfReportCaughtExceptions, false, 0, 0, "EStreamError", 0x402000};
  struct Case {
    const char* what;
    TEndOfCatchFacts facts;
    bool expected;
  };
  auto with = [&](auto change) {
    TEndOfCatchFacts facts = base;
    change(facts);
    return facts;
  };
  const Case cases[] = {
      {"reported", base, true},
      {"not installed", with([](auto& f) { f.Installed = false; }), false},
      {"option off", with([](auto& f) { f.BehaviourFlags = 0x00FF; }), false},
      {"excluded thread", with([](auto& f) { f.ThreadExcluded = true; }), false},
      {"thread naming", with([](auto& f) { f.OsCode = kThreadNamingCode, f.OsArgumentCount = 4; }), false},
      {"thread naming code with other arguments", with([](auto& f) { f.OsCode = kThreadNamingCode, f.OsArgumentCount = 3; }),
       true},
      {"already reported", with([](auto& f) { f.ClassName = "EConvertError", f.Address = 0x401000; }), false},
      {"same class, other address", with([](auto& f) { f.ClassName = "EConvertError"; }), true},
  };
  for (const Case& c : cases) EXPECT_EQ(ReportAtEndOfCatch(c.facts, last), c.expected) << c.what;
}

TEST(EndOfCatch, ClassNamesCompareOnTheirFirst64Characters) {
  TLastReported last;
  const std::string longName(80, 'E');
  last.Set(longName, 1);
  EXPECT_EQ(last.ClassName.size(), 64u);
  EXPECT_TRUE(last.Matches(longName, 1));
  EXPECT_TRUE(last.Matches(std::string(70, 'E'), 1));
  EXPECT_FALSE(last.Matches(std::string(63, 'E'), 1));
}

}  // namespace
