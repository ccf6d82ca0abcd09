#include "rtl/convert.h"

#include <gtest/gtest.h>

#include "rtl/exception.h"

namespace {

struct Good {
  const char* text;
  int32_t value;
};

class StrToIntGood : public testing::TestWithParam<Good> {};

TEST_P(StrToIntGood, Converts) {
  EXPECT_EQ(rtl::StrToInt(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Rules, StrToIntGood, testing::Values(
    Good{"125", 125}, Good{"0", 0}, Good{"-1", -1}, Good{"+7", 7}, Good{"  42", 42},
    Good{"007", 7}, Good{"$7D", 125}, Good{"$7d", 125}, Good{"x7D", 125}, Good{"X10", 16},
    Good{"0x7D", 125}, Good{"0X10", 16}, Good{"-$10", -16}, Good{" -0x10", -16},
    Good{"2147483647", 2147483647}, Good{"-2147483648", INT32_MIN},
    Good{"$FFFFFFFF", -1}, Good{"$80000000", INT32_MIN}));

class StrToIntBad : public testing::TestWithParam<const char*> {};

TEST_P(StrToIntBad, RaisesConvertErrorWithTheText) {
  const std::string text = GetParam();
  try {
    rtl::StrToInt(text);
    FAIL() << "no exception for '" << text << "'";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), "'" + text + "' is not a valid integer value");
  }
}

INSTANTIATE_TEST_SUITE_P(Rules, StrToIntBad, testing::Values(
    "", "   ", "12a", "1.5", "99999999999", "2147483648", "-2147483649", "12 ", "+", "-",
    "$", "0x", "$100000000", "1 2", "\t5", "--1", "$G"));

}  // namespace
