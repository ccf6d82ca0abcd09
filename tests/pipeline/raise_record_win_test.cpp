#include "crashreport/pipeline/interception/raise_record_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "crashreport/pipeline/threads/handler_state_win.h"
#include "rtl/exception.h"

namespace {

using tarvex::LastRaise;

__attribute__((noinline)) void ThrowConvertError() { throw rtl::EConvertError("bad"); }

TEST(RaiseRecord, EveryThrowIsRecordedWithItsCallSite) {
  const uint32_t before = LastRaise().Count;
  try {
    ThrowConvertError();
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(LastRaise().Object, &e);
    EXPECT_EQ(LastRaise().Thrown, static_cast<const void*>(&e));
    const uint32_t start = reinterpret_cast<uint32_t>(&ThrowConvertError);
    EXPECT_GE(LastRaise().Address, start);
    EXPECT_LT(LastRaise().Address, start + 0x100) << "the call of the throw in the raising function";
  }
  EXPECT_EQ(LastRaise().Count, before + 1);

  try {
    throw std::runtime_error("foreign");
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(LastRaise().Object, nullptr) << "not of the runtime's classes";
    EXPECT_EQ(LastRaise().Thrown, static_cast<const void*>(&e));
  }
  try {
    std::vector<int>().at(3);  // thrown from inside libstdc++
  } catch (const std::out_of_range& e) {
    EXPECT_EQ(LastRaise().Thrown, static_cast<const void*>(&e));
  }
  EXPECT_EQ(LastRaise().Count, before + 3);
}

TEST(RaiseRecord, KeepsTheLastErrorAndIgnoresRaisesInsideItself) {
  const rtl::EConvertError error("x");
  SetLastError(1234);
  tarvex::RecordRaise(const_cast<rtl::EConvertError*>(&error), &typeid(rtl::EConvertError), 0x401005, 0);
  EXPECT_EQ(GetLastError(), 1234u);
  EXPECT_EQ(LastRaise().Object, &error) << "found through the thrown type";
  EXPECT_EQ(LastRaise().Address, 0x401000u) << "return address minus 5: the call";
  const uint32_t count = LastRaise().Count;
  {
    tarvex::TThreadGuardScope inside(tarvex::tgInRaiseNotify);
    tarvex::RecordRaise(nullptr, nullptr, 0x500005, 0);
  }
  EXPECT_EQ(LastRaise().Count, count);
  EXPECT_EQ(LastRaise().Address, 0x401000u);
}

TEST(RaiseRecord, EachThreadKeepsItsOwn) {
  const uint32_t mine = LastRaise().Count;
  uint32_t theirs = 0;
  std::thread([&] {
    try {
      ThrowConvertError();
    } catch (const rtl::Exception&) {
    }
    theirs = LastRaise().Count;
  }).join();
  EXPECT_EQ(theirs, 1u);
  EXPECT_EQ(LastRaise().Count, mine);
}

}  // namespace
