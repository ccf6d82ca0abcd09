// docs/options.md stays in step with the record: every field of the stream
// has its row, in stream order.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "crashreport/base/options/option_catalog.h"

namespace {

TEST(OptionsReference, ListsEveryFieldInStreamOrder) {
  std::ifstream file(VX_OPTIONS_REFERENCE);
  ASSERT_TRUE(file) << VX_OPTIONS_REFERENCE;
  std::stringstream text;
  text << file.rdbuf();
  const std::string doc = text.str();
  size_t previous = 0;
  int number = 1;
  for (const tarvex::OptionFieldInfo& field : tarvex::OptionFields()) {
    const std::string row = "| " + std::to_string(number++) + " | `" + field.name + "` |";
    const size_t at = doc.find(row);
    ASSERT_NE(at, std::string::npos) << "no row " << row;
    EXPECT_GT(at, previous) << row;
    previous = at;
  }
}

}  // namespace
