#include "crashreport/pipeline/interception/os_exceptions_win.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

EXCEPTION_RECORD Record(DWORD code, void* address, std::initializer_list<ULONG_PTR> information = {}) {
  EXCEPTION_RECORD record{};
  record.ExceptionCode = code;
  record.ExceptionAddress = address;
  for (ULONG_PTR value : information) record.ExceptionInformation[record.NumberParameters++] = value;
  return record;
}

TEST(OsExceptions, ObjectsForRecords) {
  void* inThisModule = reinterpret_cast<void*>(&Record);
  const std::string here = [&] {
    char text[32];
    snprintf(text, sizeof text, "%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(inThisModule)));
    return std::string(text);
  }();
  struct Case {
    const char* what;
    EXCEPTION_RECORD record;
    const char* className;
    std::string message;
  };
  const Case cases[] = {
      {"read fault in a module", Record(EXCEPTION_ACCESS_VIOLATION, inThisModule, {0, 0x10}), "EAccessViolation",
       "Access violation at address " + here + " in module 'pipeline_win_test.exe'. Read of address 00000010"},
      {"write fault outside modules", Record(EXCEPTION_ACCESS_VIOLATION, reinterpret_cast<void*>(0x10), {1, 0x20}),
       "EAccessViolation", "Access violation at address 00000010. Write of address 00000020"},
      {"fault without its facts", Record(EXCEPTION_ACCESS_VIOLATION, inThisModule), "EAccessViolation",
       "Access violation"},
      {"stack overflow", Record(EXCEPTION_STACK_OVERFLOW, inThisModule), "EStackOverflow", "Stack overflow"},
      {"integer division", Record(EXCEPTION_INT_DIVIDE_BY_ZERO, inThisModule), "EDivByZero", "Division by zero"},
      {"integer overflow", Record(EXCEPTION_INT_OVERFLOW, inThisModule), "EIntOverflow", "Integer overflow"},
      {"any other code", Record(0xE0001234, inThisModule), "EExternalException", "External exception E0001234"},
  };
  for (const Case& c : cases) {
    const std::unique_ptr<rtl::Exception> object = ExceptionObjectFor(c.record);
    ASSERT_NE(object, nullptr) << c.what;
    EXPECT_STREQ(object->ClassName(), c.className) << c.what;
    EXPECT_EQ(object->Message(), c.message) << c.what;
    EXPECT_TRUE(object->InheritsFrom("EExternal")) << c.what;
  }
  EXPECT_FALSE(AccessFaultOf(Record(EXCEPTION_STACK_OVERFLOW, inThisModule)).has_value());
}

}  // namespace
