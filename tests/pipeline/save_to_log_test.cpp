#include "crashreport/pipeline/handling/save_to_log.h"

#include <gtest/gtest.h>

#include "rtl/exception.h"

namespace {

using namespace tarvex;

class FakeLog : public TReportLog {
 public:
  int failSaves = 0;
  std::vector<std::string> calls;
  void Add(const std::string& report, int max) override { calls.push_back("add " + report + " " + std::to_string(max)); }
  std::string WholeText() const override { return "whole"; }
  void Save() override {
    calls.push_back("save");
    if (failSaves > 0) {
      --failSaves;
      throw rtl::EWriteError("Disk full");
    }
  }
  void Close() override { calls.push_back("close"); }
};

struct Fixture {
  FakeLog log;
  TEventRoute route;
  TTarvexEvents events;
  std::vector<std::string> seen, warnings;
  int retries = 0;
  TExceptionInfo info;
  Fixture() {
    events.OnExceptionActionNotify = [this](TExceptionInfo&, TActionCode c, bool&) { seen.push_back(std::to_string(c)); };
    events.OnExceptionErrorNotify = [this](TExceptionInfo&, TActionError c, bool& retry) {
      seen.push_back("error " + std::to_string(c));
      retry = retries-- > 0;
    };
    route.Register(&events);
  }
  SaveToLogResult Save(SaveToLogRequest request) {
    return SaveToLog(request, log, route, info, [this](const std::string& m) { warnings.push_back(m); });
  }
};

TEST(SaveToLog, SavesBetweenItsActionEvents) {
  Fixture f;
  const SaveToLogResult result = f.Save({"R", true, false, true, 5});
  EXPECT_TRUE(result.Saved);
  EXPECT_EQ(result.WholeLog, "whole");
  EXPECT_EQ(f.log.calls, (std::vector<std::string>{"add R 5", "save", "close"}));
  EXPECT_EQ(f.seen, (std::vector<std::string>{"2", "3"}));
}

TEST(SaveToLog, DuplicateOnlyWritesTheFile) {
  Fixture f;
  EXPECT_TRUE(f.Save({"R", true, true, false, 5}).Saved);
  EXPECT_EQ(f.log.calls, (std::vector<std::string>{"save", "close"}));
}

TEST(SaveToLog, FailureWarnsAndRetriesWhileAsked) {
  Fixture f;
  f.log.failSaves = 2;
  f.retries = 1;
  EXPECT_FALSE(f.Save({"R", true, true, false, 5}).Saved) << "second failure, no more retries";
  EXPECT_EQ(f.warnings, (std::vector<std::string>{"[Log] Disk full", "[Log] Disk full"}));
  EXPECT_EQ(f.seen, (std::vector<std::string>{"2", "error 3", "error 3", "3"}));
  EXPECT_EQ(f.log.calls.back(), "close");

  Fixture g;
  g.log.failSaves = 1;
  g.retries = 1;
  EXPECT_TRUE(g.Save({"R", true, true, false, 5}).Saved) << "the retry succeeds";
}

TEST(SaveToLog, WithoutWriteLogNoEventsAndNoRetry) {
  Fixture f;
  f.log.failSaves = 1;
  f.retries = 5;
  EXPECT_FALSE(f.Save({"R", false, false, false, 5}).Saved);
  EXPECT_TRUE(f.seen.empty());
  EXPECT_EQ(f.warnings.size(), 1u);
}

TEST(SaveToLog, BeforeEventMaySkip) {
  Fixture f;
  f.events.OnExceptionActionNotify = [](TExceptionInfo&, TActionCode, bool& goOn) { goOn = false; };
  EXPECT_TRUE(f.Save({"R", true, false, false, 5}).Skipped);
  EXPECT_TRUE(f.log.calls.empty());
}

}  // namespace
