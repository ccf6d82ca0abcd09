#include "crashreport/callstack/stack/stack_walk.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/callstack/stack/synthetic_modules.h"

namespace {

using namespace tarvex;
using tarvex::testing::SyntheticModules;

constexpr uint32_t kModule = 0x400000;
constexpr uint32_t kCode = 0x401000;     // code of the module, 64 KB
constexpr uint32_t kData = 0x52FF00;     // a readable pointer table outside the module
constexpr uint32_t kStack = 0x120000;    // stack slots
constexpr uint32_t kReturn = kCode + 0x800;  // the return address the stack holds

class StackWalkTest : public ::testing::Test {
 protected:
  StackWalkTest() {
    memory.Map(kModule, std::vector<uint8_t>(0x1000), kPageReadOnly);   // image header
    memory.Map(kCode, std::vector<uint8_t>(0x10000, 0x90));            // nops
    memory.Map(kData, {0x00, 0x30, 0x40, 0x00}, kPageReadWrite);        // -> kCode + 0x2000
    modules.AddModule(kModule, 0x11000, "C:\\app\\Program.exe");
  }

  // Places `bytes` so that they end right at `returnAddress`.
  void CodeBefore(uint32_t returnAddress, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) memory.At(returnAddress - uint32_t(bytes.size()) + uint32_t(i)) = bytes[i];
  }
  void Code(uint32_t at, const std::vector<uint8_t>& bytes) { CodeBefore(at + uint32_t(bytes.size()), bytes); }

  // A stack whose slots hold `values`, walked from its first slot to its last.
  std::vector<uint32_t> Walk(const std::vector<uint32_t>& values, WalkOptions options = {}) {
    std::vector<uint8_t> bytes(values.size() * 4);
    for (size_t i = 0; i < values.size(); ++i)
      for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = uint8_t(values[i] >> (8 * b));
    memory.Map(kStack, bytes, kPageReadWrite);
    return Addresses(kStack, kStack + uint32_t(bytes.size()) - 4, options);
  }

  std::vector<uint32_t> Addresses(uint32_t start, uint32_t top, WalkOptions options = {}, uint32_t exception = 0) {
    TTarvexStackList list;
    WalkStack(context, list, exception, start, top, options);
    std::vector<uint32_t> addresses;
    for (int i = 0; i < list.Count(); ++i) addresses.push_back(list[i].Address);
    return addresses;
  }

  BufferMemorySpace memory;
  SyntheticModules modules;
  CallStackContext context{memory, modules, nullptr, nullptr, {}};
};

struct CallFormCase {
  const char* name;
  std::vector<uint8_t> codeBeforeReturn;
  std::vector<uint32_t> expected;  // admitted addresses
};

class CallForms : public StackWalkTest, public ::testing::WithParamInterface<CallFormCase> {};

TEST_P(CallForms, AdmitTheStartOfTheCallInstruction) {
  CodeBefore(kReturn, GetParam().codeBeforeReturn);
  WalkOptions options;
  options.followThunks = false;
  EXPECT_EQ(Walk({0x12345678, kReturn, 0}, options), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CallForms,
    ::testing::Values(
        CallFormCase{"NoCall", {0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90}, {}},
        CallFormCase{"Rel32", {0xE8, 0x00, 0xF0, 0xFF, 0xFF}, {kReturn - 5}},
        CallFormCase{"Rel32ToUnreadableTarget", {0xE8, 0x00, 0x00, 0x00, 0x10}, {}},
        CallFormCase{"Register", {0xFF, 0xD3}, {kReturn - 2}},
        CallFormCase{"JumpThroughRegisterIsNoCall", {0xFF, 0xE3}, {}},
        CallFormCase{"MemoryAtRegister", {0xFF, 0x16}, {kReturn - 2}},
        CallFormCase{"MemoryAtSibIsNotForm3", {0xFF, 0x14}, {}},
        CallFormCase{"RegisterDisp8AfterLoadTwoBack", {0x8B, 0x01, 0xFF, 0x50, 0x04}, {kReturn - 3}},
        CallFormCase{"RegisterDisp8AfterLoadThreeBack", {0x8B, 0x45, 0x08, 0xFF, 0x56, 0x10}, {kReturn - 3}},
        CallFormCase{"RegisterDisp8WithoutLoad", {0x90, 0x90, 0xFF, 0x50, 0x04}, {}},
        // FF 15 00 FF 52 00 is also "call [0x0052FF00]" (readable), but the
        // FF 52 in its last bytes without a load in front rejects the slot.
        CallFormCase{"RegisterDisp8RejectsBeforeLaterForms", {0xFF, 0x15, 0x00, 0xFF, 0x52, 0x00}, {}},
        CallFormCase{"RegisterDisp32", {0xFF, 0x93, 0x10, 0x00, 0x00, 0x00}, {kReturn - 6}},
        CallFormCase{"EspIndirect", {0xFF, 0x14, 0x24}, {kReturn - 3}},
        CallFormCase{"EspDisp8", {0xFF, 0x54, 0x24, 0x08}, {kReturn - 4}},
        CallFormCase{"EspDisp32", {0xFF, 0x94, 0x24, 0x00, 0x01, 0x00, 0x00}, {kReturn - 7}},
        CallFormCase{"AbsolutePointer", {0xFF, 0x15, 0x00, 0x40, 0x40, 0x00}, {kReturn - 6}},
        CallFormCase{"AbsolutePointerUnreadable", {0xFF, 0x15, 0x00, 0x00, 0x90, 0x00}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StackWalkTest, Rel32ListsTheCalledRoutineThroughItsThunkFirst) {
  const uint32_t thunk = kCode + 0x1000, routine = kCode + 0x2000, nested = kCode + 0x3000;
  Code(thunk, {0xFF, 0x25, 0x00, 0xFF, 0x52, 0x00});  // jmp [kData] -> routine
  Code(routine, {0x55, 0x8B, 0xEC});                  // push ebp; mov ebp, esp
  memory.At(nested) = 0xE8;                           // a routine that starts with a call
  const auto callTo = [](uint32_t from, uint32_t target) {
    const uint32_t d = target - from;
    return std::vector<uint8_t>{0xE8, uint8_t(d), uint8_t(d >> 8), uint8_t(d >> 16), uint8_t(d >> 24)};
  };
  CodeBefore(kReturn, callTo(kReturn, thunk));
  CodeBefore(kReturn + 0x10, callTo(kReturn + 0x10, routine));
  CodeBefore(kReturn + 0x20, callTo(kReturn + 0x20, nested));
  EXPECT_EQ(Walk({kReturn, kReturn + 0x10, kReturn + 0x20}),
            (std::vector<uint32_t>{routine, kReturn - 5, routine, kReturn + 0x10 - 5, kReturn + 0x20 - 5}));

  WalkOptions noThunks;
  noThunks.followThunks = false;
  EXPECT_EQ(Addresses(kStack, kStack + 8, noThunks),
            (std::vector<uint32_t>{kReturn - 5, kReturn + 0x10 - 5, kReturn + 0x20 - 5}));
}

TEST_F(StackWalkTest, SkipAndMaxCountApplyToAdmittedEntries) {
  std::vector<uint32_t> values;
  for (uint32_t i = 0; i < 6; ++i) {
    CodeBefore(kReturn + 0x10 * i, {0xFF, 0xD0});
    values.push_back(kReturn + 0x10 * i);
  }
  values.insert(values.begin() + 2, 0x12345678);  // not a return address: not admitted, not counted
  WalkOptions options;
  options.skipCount = 2;
  options.maxCount = 3;
  EXPECT_EQ(Walk(values, options), (std::vector<uint32_t>{kReturn + 0x20 - 2, kReturn + 0x30 - 2, kReturn + 0x40 - 2}));

  options.skipCount = kNoLimit;  // no skipping, still at most three
  EXPECT_EQ(Addresses(kStack, kStack + 24, options),
            (std::vector<uint32_t>{kReturn - 2, kReturn + 0x10 - 2, kReturn + 0x20 - 2}));
}

TEST_F(StackWalkTest, ExceptionAddressComesFirstAndCountsAsAdmitted) {
  CodeBefore(kReturn, {0xFF, 0xD0});
  memory.Map(kStack, {uint8_t(kReturn), uint8_t(kReturn >> 8), uint8_t(kReturn >> 16), 0}, kPageReadWrite);
  TTarvexStackList list;
  WalkStack(context, list, kCode + 0x44, kStack, kStack, {});
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0].Address, kCode + 0x44u);
  EXPECT_EQ(list[0].IsExceptionPoint, 1);
  EXPECT_EQ(list[1].Address, kReturn - 2);
  EXPECT_EQ(list[1].IsExceptionPoint, 0);

  WalkOptions skipOne;
  skipOne.skipCount = 1;
  EXPECT_EQ(Addresses(kStack, kStack, skipOne, kCode + 0x44), std::vector<uint32_t>{kReturn - 2});
}

TEST_F(StackWalkTest, ScansAtMost102400BytesAboveTheStart) {
  std::vector<uint8_t> stack(0x20000);
  const uint32_t offsets[] = {0, kMaxStackScan, kMaxStackScan + 4};  // first, last and one past the last slot
  for (uint32_t i = 0; i < 3; ++i) {
    const uint32_t value = kReturn + 0x10 * i;
    CodeBefore(value, {0xFF, 0xD0});
    for (int b = 0; b < 4; ++b) stack[offsets[i] + b] = uint8_t(value >> (8 * b));
  }
  memory.Map(kStack, stack, kPageReadWrite);
  EXPECT_EQ(Addresses(kStack, kStack + 0x20000 - 4), (std::vector<uint32_t>{kReturn - 2, kReturn + 0x10 - 2}));
}

TEST_F(StackWalkTest, UnreadableStackMemoryIsSkippedNotFatal) {
  CodeBefore(kReturn, {0xFF, 0xD0});
  const std::vector<uint8_t> page = [] {
    std::vector<uint8_t> bytes(0x1000);
    for (size_t i = 0; i < bytes.size(); i += 4)
      for (int b = 0; b < 4; ++b) bytes[i + b] = uint8_t(kReturn >> (8 * b));
    return bytes;
  }();
  memory.Map(kStack, page, kPageReadWrite);
  memory.Map(kStack + 0x1000, page, kPageReadWrite | kPageGuard);  // guard page
  // kStack + 0x2000: never mapped (a freed region)
  memory.Map(kStack + 0x3000, {uint8_t(kReturn), uint8_t(kReturn >> 8), uint8_t(kReturn >> 16), 0}, kPageReadWrite);
  WalkOptions options;
  options.useDebugInfo = false;
  const std::vector<uint32_t> found = Addresses(kStack + 0xFF8, kStack + 0x3000, options);
  // Two slots before the guard page and the lone slot after the hole; the
  // duplicates stay in the list (only named entries are blanked).
  EXPECT_EQ(found, std::vector<uint32_t>(3, kReturn - 2));

  // A stack pointer a few bytes before the end of the stack.
  EXPECT_EQ(Addresses(kStack + 0x3000, kStack + 0x3FFC, options), std::vector<uint32_t>{kReturn - 2});
}

TEST_F(StackWalkTest, ListNeverExceeds1025Entries) {
  CodeBefore(kReturn, {0xFF, 0xD0});
  EXPECT_EQ(Walk(std::vector<uint32_t>(3000, kReturn)).size(), size_t(kMaxStackEntries));
  TTarvexStackList list;
  WalkStack(context, list, 0, kStack, kStack + 4 * 2999, {});
  WalkStack(context, list, kReturn, kStack, kStack + 8, {});  // a further walk adds nothing
  EXPECT_EQ(list.Count(), kMaxStackEntries);
}

TEST_F(StackWalkTest, WithoutDebugLookupEntriesNameOnlyTheModule) {
  CodeBefore(kReturn, {0xFF, 0xD0});
  memory.Map(0x700000, std::vector<uint8_t>(16, 0x90));
  Code(0x700008, {0xFF, 0xD0});  // a call outside every module
  WalkOptions options;
  options.useDebugInfo = false;
  options.tag = 0;
  options.threadID = 77;
  memory.Map(kStack, {uint8_t(kReturn), uint8_t(kReturn >> 8), uint8_t(kReturn >> 16), 0, 0x0A, 0, 0x70, 0},
             kPageReadWrite);
  TTarvexStackList list;
  WalkStack(context, list, 0, kStack, kStack + 4, options);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0].InfoLevel, ilModule);
  ASSERT_NE(list[0].ModuleInfo, nullptr);
  EXPECT_EQ(list[0].ModuleInfo->Handle, kModule);
  EXPECT_EQ(list[0].ModuleInfo->FileName, "C:\\app\\Program.exe");
  EXPECT_EQ(list[0].ThreadID, 77u);
  EXPECT_EQ(list[0].Tag, 0);
  EXPECT_EQ(list[1].InfoLevel, ilNone);
  EXPECT_EQ(list[1].ModuleInfo, nullptr);

  options.admitSet = {ilModule};  // entries outside every module are not admitted
  TTarvexStackList filtered;
  WalkStack(context, filtered, 0, kStack, kStack + 4, options);
  EXPECT_EQ(filtered.Count(), 1);
}

}  // namespace
