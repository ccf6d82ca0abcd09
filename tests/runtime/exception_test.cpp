#include "rtl/exception.h"

#include <gtest/gtest.h>

namespace {

class ECustomError : public rtl::EConvertError {
  RTL_EXCEPTION_CLASS(ECustomError, rtl::EConvertError)
 public:
  ECustomError(std::string message, int code) : EConvertError(std::move(message)), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

TEST(ExceptionClass, NameAndAncestryThroughTheRootReference) {
  ECustomError raised("bad", 7);
  const rtl::Exception& e = raised;
  EXPECT_STREQ(e.ClassName(), "ECustomError");
  EXPECT_TRUE(e.InheritsFrom("ECustomError"));
  EXPECT_TRUE(e.InheritsFrom("EConvertError"));
  EXPECT_TRUE(e.InheritsFrom("Exception"));
  EXPECT_FALSE(e.InheritsFrom("EStreamError"));
  EXPECT_FALSE(e.InheritsFrom("econverterror"));
  EXPECT_EQ(e.Message(), "bad");
  EXPECT_STREQ(e.what(), "bad");
}

TEST(ExceptionClass, RuntimeHierarchy) {
  EXPECT_TRUE(rtl::EReadError::kClassInfo.InheritsFrom("EStreamError"));
  EXPECT_TRUE(rtl::EAccessViolation::kClassInfo.InheritsFrom("EExternal"));
  EXPECT_STREQ(rtl::EAbort("").ClassName(), "EAbort");
  EXPECT_EQ(rtl::Exception::kClassInfo.parent, nullptr);
}

TEST(ExceptionClass, CaughtByBaseKeepsTheDynamicClass) {
  try {
    throw rtl::EReadError("stream read error");
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EReadError");
  }
}

}  // namespace
