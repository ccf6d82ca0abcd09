#include "crashreport/pipeline/handling/exception_events.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace tarvex;

struct Recorder {
  std::vector<std::string> calls;
  TTarvexEvents Set(const std::string& name) {
    TTarvexEvents events;
    events.OnExceptionNotify = [this, name](TExceptionInfo&, bool&) { calls.push_back(name); };
    events.OnExceptionActionNotify = [this, name](TExceptionInfo&, TActionCode code, bool&) {
      calls.push_back(name + ":" + std::to_string(code));
    };
    return events;
  }
};

TEST(EventRoute, ModuleThenComponentsLastFirstThenVariables) {
  Recorder r;
  TEventRoute route;
  const TTarvexEvents first = r.Set("first"), second = r.Set("second"), module = r.Set("module");
  TTarvexEvents unassigned;
  route.Register(&first);
  route.Register(&unassigned);
  route.Register(&second);
  route.SetModuleEvents(&module);
  route.ProcedureVariables() = r.Set("variable");
  TExceptionInfo info;
  EXPECT_TRUE(route.Notify(info, false));
  EXPECT_EQ(r.calls, (std::vector<std::string>{"module", "second", "first", "variable"}));
  r.calls.clear();
  EXPECT_TRUE(route.Notify(info, true)) << "handled variant has no handlers here";
  EXPECT_TRUE(r.calls.empty());
  route.Unregister(&second);
  route.Action(info, acBeforeDialog);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"module:0", "first:0", "variable:0"}));
}

TEST(EventRoute, FlagsThrowingHandlersRunnerAndSwitch) {
  TEventRoute route;
  TTarvexEvents events;
  int runs = 0;
  events.OnHandledExceptionNotify = [](TExceptionInfo&, bool& handle) { handle = false; };
  events.OnExceptionActionNotify = [](TExceptionInfo&, TActionCode code, bool& goOn) {
    if (code == acBeforeTerminate) goOn = false;
    if (code == acAfterDialog) throw std::runtime_error("handler fault");
  };
  events.OnExceptionErrorNotify = [](TExceptionInfo&, TActionError code, bool& retry) { retry = code == aeSaveLog; };
  route.Register(&events);
  route.SetRunner([&runs](const std::function<void()>& call) {
    ++runs;
    call();
  });
  TExceptionInfo info;
  EXPECT_FALSE(route.Notify(info, true));
  EXPECT_FALSE(route.Action(info, acBeforeTerminate));
  EXPECT_TRUE(route.Action(info, acAfterDialog)) << "a throwing handler is swallowed";
  EXPECT_TRUE(route.Retry(info, aeSaveLog));
  EXPECT_FALSE(route.Retry(info, aeWeb));
  EXPECT_EQ(runs, 5);
  route.SetEnabled(false);
  EXPECT_TRUE(route.Notify(info, true));
  EXPECT_EQ(runs, 5);
}

}  // namespace
