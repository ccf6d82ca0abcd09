#include "crashreport/delivery/outcome/recipients.h"

#include <gtest/gtest.h>

namespace {

using tarvex::SplitRecipients;
using Addresses = std::vector<std::string>;

TEST(Recipients, SplitAtCommasAndSemicolonsTrimmedWithoutEmptyEntries) {
  struct Case {
    const char* recipients;
    Addresses addresses;
  };
  const Case cases[] = {
      {"a@b.test", {"a@b.test"}},
      {"a@b.test; c@d.test,", {"a@b.test", "c@d.test"}},
      {" a@b.test ,, ;c@d.test;\te@f.test\r\n", {"a@b.test", "c@d.test", "e@f.test"}},
      {"", {}},
      {" ; , ", {}},
      {"first last@b.test", {"first last@b.test"}},  // only separators split, inner blanks stay
  };
  for (const Case& c : cases) EXPECT_EQ(SplitRecipients(c.recipients), c.addresses) << c.recipients;
}

}  // namespace
