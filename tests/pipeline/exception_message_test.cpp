#include "crashreport/pipeline/handling/exception_message.h"

#include <gtest/gtest.h>

#include "rtl/exception.h"

namespace {

using namespace tarvex;

TEST(ExceptionMessage, Cases) {
  const rtl::EConvertError convert("'abc' is not a valid integer value");
  const rtl::EConvertError dotted("Done.");
  const rtl::EConvertError empty("");
  const rtl::EAccessViolation access("original text");
  const AccessFault inModule{0x00401A2B, false, 0x00000010, "crashlab.exe"};
  const AccessFault write{0x00401A2B, true, 0xDEADBEEF, "crashlab.exe"};
  const AccessFault outside{0x7FFE0000, true, 0x00000000, ""};
  struct Case {
    const char* what;
    const rtl::Exception* object;
    std::optional<AccessFault> fault;
    const char* expected;
  };
  const Case cases[] = {
      {"own message gets a final dot", &convert, std::nullopt, "'abc' is not a valid integer value."},
      {"no second dot", &dotted, std::nullopt, "Done."},
      {"empty stays empty", &empty, std::nullopt, ""},
      {"no exception object", nullptr, std::nullopt, "Unknown error message."},
      {"access violation in a module, read", &access, inModule,
       "Access violation at address 00401A2B in module 'crashlab.exe'. Read of address 00000010."},
      {"write", &access, write,
       "Access violation at address 00401A2B in module 'crashlab.exe'. Write of address DEADBEEF."},
      {"outside every module", &access, outside, "Access violation at address 7FFE0000. Write of address 00000000."},
      {"fault facts ignored for other classes", &convert, inModule, "'abc' is not a valid integer value."},
      {"access violation without facts keeps its message", &access, std::nullopt, "original text."},
  };
  for (const Case& c : cases) EXPECT_EQ(ExceptionMessage(c.object, c.fault), c.expected) << c.what;
}

}  // namespace
