#include "crashreport/pipeline/monitors/freeze_watch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using tarvex::FreezeAction;
using tarvex::FreezePolicy;
using tarvex::FreezeTimeoutMs;
using tarvex::WindowAnswer;

struct PolicyCase {
  const char* name;
  std::vector<std::pair<WindowAnswer, uint32_t>> probes;  // answer, real time it took
  std::vector<FreezeAction> expected;
};

constexpr WindowAnswer kAnswered = WindowAnswer::Answered, kSilent = WindowAnswer::Silent,
                       kGone = WindowAnswer::Gone;
constexpr FreezeAction kRest = FreezeAction::Rest, kAgain = FreezeAction::ProbeAgain,
                       kReport = FreezeAction::Report, kWait = FreezeAction::WaitForWindow;

TEST(FreezePolicy, DecidesFromAnswersAndTheRealSilentTime) {
  const uint32_t timeout = 200;  // four probes of 50 ms
  const PolicyCase cases[] = {
      {"answered rests", {{kAnswered, 3}}, {kRest}},
      {"just short of the time-out", {{kSilent, 50}, {kSilent, 50}, {kSilent, 99}}, {kAgain, kAgain, kAgain}},
      {"reaching it reports", {{kSilent, 50}, {kSilent, 50}, {kSilent, 50}, {kSilent, 50}},
       {kAgain, kAgain, kAgain, kReport}},
      {"one long probe counts what it lasted", {{kSilent, 230}}, {kReport}},
      {"an answer starts the count again",
       {{kSilent, 50}, {kSilent, 50}, {kSilent, 50}, {kAnswered, 2}, {kSilent, 50}, {kSilent, 50}, {kSilent, 50}},
       {kAgain, kAgain, kAgain, kRest, kAgain, kAgain, kAgain}},
      {"one report per period",
       {{kSilent, 100}, {kSilent, 100}, {kSilent, 100}, {kSilent, 99}, {kSilent, 1}},
       {kAgain, kReport, kAgain, kAgain, kReport}},
      {"a gone window is waited for and clears the count",
       {{kSilent, 150}, {kGone, 0}, {kSilent, 150}}, {kAgain, kWait, kAgain}},
  };
  for (const PolicyCase& c : cases) {
    FreezePolicy policy;
    std::vector<FreezeAction> got;
    for (const auto& [answer, elapsed] : c.probes) got.push_back(policy.AfterProbe(answer, elapsed, timeout));
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST(FreezePolicy, TimeOutOptionInMilliseconds) {
  EXPECT_EQ(FreezeTimeoutMs(5), 5000u);
  EXPECT_EQ(FreezeTimeoutMs(60), 60000u);
  EXPECT_EQ(FreezeTimeoutMs(0), 1000u) << "0 would report every probe";
  EXPECT_EQ(FreezeTimeoutMs(-3), 1000u);
  EXPECT_EQ(FreezeTimeoutMs(INT32_MAX), uint32_t(INT32_MAX / 1000) * 1000);
}

// A main thread on a scripted timeline, seen through the loop's interfaces.
// Time passes only by probing and sleeping.
class ScriptedProcess : public tarvex::MainWindowProber,
                              public tarvex::MonotonicClock,
                              public tarvex::Sleeper,
                              public tarvex::FreezeWatcher {
 public:
  struct Hang {
    uint64_t from, to;  // the main thread takes no message in [from, to)
  };

  std::vector<Hang> hangs;
  uint64_t windowFrom = 0;            // the window exists from here ...
  uint64_t windowTo = UINT64_MAX;     // ... to here
  uint64_t windowAgainFrom = UINT64_MAX;  // and again from here
  uint64_t goneProbeMs = 0;           // what a probe of a destroyed window costs
  uint64_t stopAt = 60000;            // the owner terminates the monitor here
  int32_t timeoutSeconds = 5;

  std::vector<uint64_t> reports;
  std::vector<uint32_t> sleeps;
  uint64_t terminatedSeenAt = UINT64_MAX;
  int lookups = 0;

  uint64_t now = 0;

  bool FindMainWindow() override {
    ++lookups;
    return WindowExists();
  }
  WindowAnswer Probe() override {
    if (!WindowExists()) {
      now += goneProbeMs;
      return WindowAnswer::Gone;
    }
    if (Hung()) {
      now += FreezePolicy::kProbeMs + 1;  // the system's time-out, a little late as it is
      return WindowAnswer::Silent;
    }
    now += 1;
    return WindowAnswer::Answered;
  }
  uint64_t NowMs() override { return now; }
  void SleepMs(uint32_t ms) override {
    sleeps.push_back(ms);
    now += ms;
  }
  bool Terminated() override {
    if (now >= stopAt && terminatedSeenAt == UINT64_MAX) terminatedSeenAt = now;
    return now >= stopAt;
  }
  int32_t TimeoutSeconds() override { return timeoutSeconds; }
  void ReportFreeze() override { reports.push_back(now); }

  void Run() { tarvex::RunFreezeWatch({*this, *this, *this, *this}); }

 private:
  bool WindowExists() const { return (now >= windowFrom && now < windowTo) || now >= windowAgainFrom; }
  bool Hung() const {
    for (const Hang& h : hangs)
      if (now >= h.from && now < h.to) return true;
    return false;
  }
};

TEST(FreezeWatch, AHangShorterThanTheTimeOutIsNotReported) {
  ScriptedProcess process;
  process.hangs = {{1000, 1000 + 4600}};  // 0.4 s short of 5 s
  process.stopAt = 20000;
  process.Run();
  EXPECT_TRUE(process.reports.empty());
}

TEST(FreezeWatch, AHeldHangIsReportedOncePerPeriod) {
  ScriptedProcess process;
  process.hangs = {{1000, 1000 + 16000}};
  process.stopAt = 25000;
  process.Run();
  ASSERT_EQ(process.reports.size(), 3u);  // at about 6, 11 and 16 s
  for (size_t i = 0; i < process.reports.size(); ++i) {
    const uint64_t expected = 1000 + (i + 1) * 5000;
    EXPECT_GE(process.reports[i], expected) << i;
    EXPECT_LT(process.reports[i], expected + 400) << i << ": at most one rest late";
  }
}

TEST(FreezeWatch, TheTimeOutIsReadOnEveryProbe) {
  struct ShortenedMidHang : ScriptedProcess {
    int32_t TimeoutSeconds() override { return now < 2000 ? 60 : 2; }
  } process;
  process.hangs = {{1000, 4500}};
  process.stopAt = 10000;
  process.Run();
  ASSERT_EQ(process.reports.size(), 1u);
  EXPECT_GE(process.reports[0], 3000u);
  EXPECT_LT(process.reports[0], 3400u);
}

TEST(FreezeWatch, WaitsForAWindowBeforeProbingAndNeverReportsWithoutOne) {
  ScriptedProcess process;
  process.windowFrom = 3000;
  process.hangs = {{0, 2900}};  // hung while there is no window: nothing to probe
  process.stopAt = 8000;
  process.Run();
  EXPECT_TRUE(process.reports.empty());
  EXPECT_GE(process.lookups, 3000 / 50) << "looked up every 50 ms";
}

TEST(FreezeWatch, ADestroyedWindowThatFailsAtOnceIsNotCountedAsSilence) {
  // The probe of a destroyed window fails without waiting; the monitor goes
  // back to looking the window up, and the lookups' time is no silence either.
  ScriptedProcess process;
  process.windowTo = 2000;
  process.windowAgainFrom = 30000;
  process.goneProbeMs = 0;
  process.stopAt = 40000;
  process.Run();
  EXPECT_TRUE(process.reports.empty());
  EXPECT_GT(process.lookups, 500) << "looked up every 50 ms while there was none";
}

TEST(FreezeWatch, ASilentProbeThatReturnsAtOnceCountsTheRealTime) {
  // A failed send that returns at once (not a time-out) while the window
  // exists: padded to a whole probe, so the monitor neither spins nor reports
  // before the time-out has really passed.
  struct FailingAtOnce : ScriptedProcess {
    WindowAnswer Probe() override { return WindowAnswer::Silent; }
  } process;
  process.stopAt = 12000;
  process.Run();
  ASSERT_EQ(process.reports.size(), 2u);
  EXPECT_EQ(process.reports[0], 5000u);
  EXPECT_EQ(process.reports[1], 10000u);
}

TEST(FreezeWatch, EndsWithinOneStepOfTermination) {
  struct Case {
    const char* name;
    uint64_t windowFrom;
    std::vector<ScriptedProcess::Hang> hangs;
  };
  const Case cases[] = {
      {"while waiting for the window", 1000000, {}},
      {"while resting between answers", 0, {}},
      {"while counting a hang", 0, {{0, 1000000}}},
  };
  for (const Case& c : cases) {
    for (uint64_t stopAt : {1000u, 1017u, 1049u, 1333u}) {
      ScriptedProcess process;
      process.windowFrom = c.windowFrom;
      process.hangs = c.hangs;
      process.stopAt = stopAt;
      process.Run();
      EXPECT_LE(process.now, stopAt + FreezePolicy::kStepMs + 1) << c.name << " stop at " << stopAt;
      EXPECT_TRUE(process.reports.empty()) << c.name;
    }
  }
}

}  // namespace
