#include "crashreport/delivery/trackers/tracker_fields.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

TEST(TrackerFields, EntriesSplitAtTheirFirstEquals) {
  EXPECT_EQ(FieldsFromEntries({"a=b", "c=d=e", "bare", "=v", "VX_ReproduceText="}),
            (TFormFields{{"a", "b"}, {"c", "d=e"}, {"bare", ""}, {"", "v"}, {"VX_ReproduceText", ""}}));
  const TFormFields fields{{"FogBugzTrialID", ""}, {"VX_OSType", "Windows 7"}, {"VX_OSType", "second"}};
  EXPECT_EQ(FieldValue(fields, "VX_OSType"), "Windows 7");
  EXPECT_EQ(FieldValue(fields, "vx_ostype"), "");  // names match exactly
  EXPECT_EQ(FieldValue(fields, "missing"), "");
}

TEST(TrackerFields, TextAfterAMarker) {
  const std::string page =
      "<script>var components = new Array(1);\ncomponents[0] = \"User interface\";</script>"
      "<a href=\"default.asp?pre=preSubmitBug&sActionToken=3fa9c0\">";
  EXPECT_EQ(TextAfter(page, "components[0] = \"", '"'), "User interface");
  EXPECT_EQ(TextAfter(page, "sActionToken=", '"'), "3fa9c0");
  EXPECT_EQ(TextAfter(page, "components[1] = \"", '"'), "");
  EXPECT_EQ(TextAfter("x sActionToken=tail", "sActionToken=", '"'), "tail");  // to the end
}

}  // namespace
