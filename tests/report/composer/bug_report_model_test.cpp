// The report as a model: the items added after composing (custom data, the
// user's e-mail, the reproduce steps) give one text whatever their order,
// and changing one never leaves a trace of its old value.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "crashreport/report/composer/bug_report.h"
#include "tests/report/composer/report_fixture.h"

namespace tarvex {
namespace {

using testing::ReportFixture;

using Change = std::function<void(BugReport&)>;

const Change kCustomData = [](BugReport& r) { r.SetCustomData("Custom Information", {{"Build", "417"}}); };
const Change kEmail = [](BugReport& r) { r.SetUserEmail("bob@example.org"); };
const Change kSteps = [](BugReport& r) { r.SetReproduceSteps("Request", "Clicked Convert twice"); };

BugReport Composed() {
  static const BugReport report = ComposeBugReport(ReportFixture().facts);
  return report;
}

BugReport With(const std::vector<Change>& changes) {
  BugReport report = Composed();
  for (const Change& change : changes) change(report);
  return report;
}

TEST(ReportModel, ItemsGiveOneTextInEveryOrder) {
  const std::string expected = With({kCustomData, kEmail, kSteps}).Text();
  ASSERT_NE(expected.find("  3.3 Email     : bob@example.org\r\n"), std::string::npos);
  ASSERT_LT(expected.find("Custom Information:"), expected.find("Request:")) << "custom data comes first";
  std::vector<int> order = {0, 1, 2};
  const Change changes[] = {kCustomData, kEmail, kSteps};
  do {
    const BugReport report = With({changes[order[0]], changes[order[1]], changes[order[2]]});
    EXPECT_EQ(report.Text(), expected) << order[0] << order[1] << order[2];
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(ReportModel, ChangingAnItemLeavesNoTraceOfTheOldValue) {
  const struct {
    const char* name;
    std::vector<Change> changes;
    std::vector<Change> sameAs;
  } cases[] = {
      {"e-mail changed after the custom data",
       {kEmail, kCustomData, [](BugReport& r) { r.SetUserEmail("carol@example.org"); }},
       {kCustomData, [](BugReport& r) { r.SetUserEmail("carol@example.org"); }}},
      {"a longer e-mail, then the steps", {[](BugReport& r) { r.SetUserEmail("a.very.long.address@example.org"); }, kSteps},
       {kSteps, [](BugReport& r) { r.SetUserEmail("a.very.long.address@example.org"); }}},
      {"custom data given twice",
       {[](BugReport& r) { r.SetCustomData("Custom Information", {{"Old", "1"}, {"Older", "2"}}); }, kCustomData},
       {kCustomData}},
      {"custom data withdrawn", {kCustomData, kSteps, [](BugReport& r) { r.SetCustomData("Custom", {}); }}, {kSteps}},
      {"steps withdrawn", {kSteps, kEmail, [](BugReport& r) { r.SetReproduceSteps("Request", ""); }}, {kEmail}},
  };
  for (const auto& c : cases) EXPECT_EQ(With(c.changes).Text(), With(c.sameAs).Text()) << c.name;
}

TEST(ReportModel, GeneralPartFollowsTheItemsAndEndsBeforeTheCallStack) {
  const BugReport composed = Composed();
  const BugReport report = With({kCustomData, kEmail, kSteps});
  EXPECT_TRUE(report.Text().starts_with(report.GeneralPart()));
  EXPECT_NE(report.GeneralPart().find("bob@example.org"), std::string::npos);
  EXPECT_NE(report.GeneralPart().find("  8.1 : Clicked Convert twice"), std::string::npos);
  // What follows the general part is the composed report's, unchanged.
  EXPECT_EQ(report.Text().substr(report.GeneralPart().size()), composed.Text().substr(composed.GeneralPart().size()));
}

TEST(ReportModel, EmailIsWrittenOverTheValueOfItem33Only) {
  const struct {
    const char* name;
    std::string head;
    std::string expected;
  } cases[] = {
      {"value up to the line end", "User:\r\n  3.3 Email    : old@place.org\r\n  3.4 Company  : ACME\r\n\r\n",
       "User:\r\n  3.3 Email    : new@x.cn\r\n  3.4 Company  : ACME\r\n\r\n"},
      {"empty value at the end of the text", "x\r\n  3.3 Email: ", "x\r\n  3.3 Email: new@x.cn"},
      {"no item 3.3", "TarvexLog 6.1.01 RC 1\r\n  2.3 Module: x\r\n", "TarvexLog 6.1.01 RC 1\r\n  2.3 Module: x\r\n"},
  };
  for (const auto& c : cases) {
    BugReport report(c.head, "Call Stack\r\n");
    report.SetUserEmail("new@x.cn");
    EXPECT_EQ(report.Text(), c.expected + "Call Stack\r\n") << c.name;
  }
}

TEST(ReportModel, NoItemsLeaveTheComposedText) {
  BugReport report = Composed();
  const std::string composed = report.Text();
  report.SetCustomData("Custom Information", {});
  report.SetReproduceSteps("Request", "");
  EXPECT_EQ(report.Text(), composed);
}

}  // namespace
}  // namespace tarvex
