// The handler frames a C++ throw would meet, read from the real exception
// tables of this test's own functions.
#include "crashreport/pipeline/interception/cxx_handler_frames_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>

#include "crashreport/pipeline/interception/thread_start_wrapper_win.h"
#include "rtl/exception.h"

namespace {

using tarvex::THandlerFrame;
using tarvex::THandlerFrameKind;
using K = THandlerFrameKind;

rtl::EConvertError thrown("probe");
std::vector<THandlerFrame> seen;

// Stands for a throw of `thrown`: the walk starts in the function that calls it.
__attribute__((noinline)) void Probe() {
  seen = tarvex::HandlerFramesOfThrow(typeid(rtl::EConvertError), &thrown,
                                      reinterpret_cast<uintptr_t>(__builtin_return_address(0)),
                                      reinterpret_cast<const void*>(&tarvex::ThreadStartWrapper));
}

__attribute__((noinline)) void UnderCatchAll() {
  try {
    Probe();
  } catch (...) {
    seen.clear();
  }
}
__attribute__((noinline)) void UnderMatchingClass() {
  try {
    Probe();
  } catch (const rtl::Exception&) {
    seen.clear();
  }
}
__attribute__((noinline)) void UnderOtherClass() {
  try {
    Probe();
  } catch (const std::out_of_range&) {
    seen.clear();
  }
}
__attribute__((noinline)) void UnderOtherThenMatchingClass() {
  try {
    UnderOtherClass();
  } catch (const rtl::EConvertError&) {
    seen.clear();
  }
}
__attribute__((noinline)) void UnderCleanupOnly() {
  const std::string local = "cleaned up";  // a destructor to run, nothing to catch
  Probe();
  if (local.empty()) seen.clear();
}

struct FrameCase {
  const char* what;
  void (*run)();
  std::vector<std::pair<K, bool>> innermost;  // kind and whether it catches the thrown type
};

TEST(CxxHandlerFrames, ClassifiesTheFramesFromTheThrowOutwards) {
  const FrameCase cases[] = {
      {"catch-all", UnderCatchAll, {{K::CatchAll, false}}},
      {"class filter that matches through the ancestry", UnderMatchingClass, {{K::ClassFiltered, true}}},
      {"class filter that does not match", UnderOtherClass, {{K::ClassFiltered, false}}},
      {"nested frames", UnderOtherThenMatchingClass, {{K::ClassFiltered, false}, {K::ClassFiltered, true}}},
  };
  const auto catches = [](const THandlerFrame& frame) { return tarvex::FrameCatches(frame, nullptr); };
  for (const FrameCase& c : cases) {
    seen.clear();
    c.run();
    ASSERT_GE(seen.size(), c.innermost.size()) << c.what;
    for (size_t i = 0; i < c.innermost.size(); ++i) {
      EXPECT_EQ(seen[i].Kind, c.innermost[i].first) << c.what << " frame " << i;
      EXPECT_EQ(seen[i].CatchesThrownType, c.innermost[i].second) << c.what << " frame " << i;
      EXPECT_FALSE(seen[i].InThreadStartWrapper) << c.what;
    }
    // The walk ends at the first frame that catches (the test framework's
    // own catch-all when no frame of the case does).
    ASSERT_FALSE(seen.empty()) << c.what;
    EXPECT_TRUE(catches(seen.back())) << c.what;
    for (size_t i = 0; i + 1 < seen.size(); ++i) EXPECT_FALSE(catches(seen[i])) << c.what << " frame " << i;
    if (catches(seen[c.innermost.size() - 1])) EXPECT_EQ(seen.size(), c.innermost.size()) << c.what;
  }
}

// The decision in a thread of its own, where no test framework catches
// around the probe: `body` runs plainly or inside the thread start wrapper.
DWORD WINAPI RunBody(void* body) {
  reinterpret_cast<void (*)()>(body)();
  return 0;
}

tarvex::TRaiseDecision DecisionInThread(void (*body)(), bool wrapped) {
  seen.clear();
  const LPTHREAD_START_ROUTINE run = RunBody;
  void* const argument = reinterpret_cast<void*>(body);
  const HANDLE thread =
      wrapped ? CreateThread(nullptr, 0, tarvex::ThreadStartWrapper, new tarvex::TThreadStart{run, argument}, 0, nullptr)
              : CreateThread(nullptr, 0, run, argument, 0, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
  CloseHandle(thread);
  tarvex::TRaiseFacts facts;
  facts.Class = &rtl::EConvertError::kClassInfo;
  return tarvex::WillBeCaught(facts, seen);
}

TEST(CxxHandlerFrames, DecidesWhetherToReportAtTheRaise) {
  struct Case {
    const char* what;
    void (*body)();
    bool wrapped;
    tarvex::TRaiseDecision expected;
  };
  const Case cases[] = {
      {"no handler", Probe, false, {true, tarvex::rkUncaught}},
      {"cleanup only", UnderCleanupOnly, false, {true, tarvex::rkUncaught}},
      {"class filter that does not match", UnderOtherClass, false, {true, tarvex::rkUncaught}},
      {"caught by the program", UnderMatchingClass, false, {false, tarvex::rkUncaught}},
      {"caught by the program inside the thread start wrapper", UnderMatchingClass, true, {false, tarvex::rkUncaught}},
      {"only the thread start wrapper", UnderOtherClass, true, {true, tarvex::rkThreadWrapper}},
  };
  for (const Case& c : cases) EXPECT_EQ(DecisionInThread(c.body, c.wrapped), c.expected) << c.what;
}

}  // namespace
