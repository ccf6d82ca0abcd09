#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crashreport/dialogs/exception_dialogs/dialog_dispatch.h"

namespace tarvex {
namespace {

// Records the calls; each runner acts as scripted.
struct Recorder : TDialogSurroundings {
  std::vector<std::string> calls;
  bool ntFamily = true;

  void Enter() override { calls.push_back("enter"); }
  void Leave() override { calls.push_back("leave"); }
  void ErrorBeep() override { calls.push_back("beep"); }
  bool IsNtFamily() const override { return ntFamily; }
  void Warn(const char* message) override { calls.push_back(std::string("warn:") + message); }

  // A dialog that paints and ends with `next` as the kind copy.
  TDialogRunner Dialog(const char* name, TTarvexDialogKind next, bool paints = true) {
    return [this, name, next, paints](TDialogSession& s) {
      calls.push_back(name);
      s.Shown = paints;
      s.Kind = next;
    };
  }
  TDialogRunners Runners(TDialogRunner simple, TDialogRunner detailed) {
    // The message box only shows the message: the dispatch decides what it counts for.
    return {[this](TDialogSession&) { calls.push_back("messagebox"); }, std::move(simple), std::move(detailed)};
  }
};

TEST(ShowExceptionDialog, EachKindRunsItsDialogAndBeepsExceptForTheMessageBox) {
  const struct {
    TTarvexDialogKind kind;
    std::vector<std::string> calls;
  } cases[] = {
      {dkSimple, {"enter", "beep", "simple", "leave"}},
      {dkDetailed, {"enter", "beep", "detailed", "leave"}},
      {dkMessageBox, {"enter", "messagebox", "leave"}},
      {dkNone, {"enter", "beep", "leave"}},
  };
  for (const auto& c : cases) {
    Recorder r;
    TDialogSession session;
    session.Kind = c.kind;
    ShowExceptionDialog(session, r.Runners(r.Dialog("simple", dkNone), r.Dialog("detailed", dkNone)), r);
    EXPECT_EQ(r.calls, c.calls) << int(c.kind);
    EXPECT_EQ(session.Kind, dkNone);
    EXPECT_TRUE(session.Shown);
    EXPECT_FALSE(session.Failed);
  }
}

TEST(ShowExceptionDialog, RepeatedCallWithoutBeep) {
  Recorder r;
  TDialogSession session;
  session.Kind = dkDetailed;
  session.Beep = false;
  ShowExceptionDialog(session, r.Runners(r.Dialog("simple", dkNone), r.Dialog("detailed", dkNone)), r);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"enter", "detailed", "leave"}));
}

// The handling's loop: call again, without beep, while the kind copy is not dkNone.
TEST(ShowExceptionDialog, DetailsLinkLeadsToTheDetailedDialogOnTheRepeatedCall) {
  Recorder r;
  TDialogSession session;
  session.Kind = dkSimple;
  const TDialogRunners runners = r.Runners(r.Dialog("simple", dkDetailed), r.Dialog("detailed", dkNone));
  ShowExceptionDialog(session, runners, r);
  EXPECT_EQ(session.Kind, dkDetailed);
  session.Beep = false;
  session.Repeated = true;
  ShowExceptionDialog(session, runners, r);
  EXPECT_EQ(session.Kind, dkNone);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"enter", "beep", "simple", "leave", "enter", "detailed", "leave"}));
}

TEST(ShowExceptionDialog, DialogThatCannotBeShownFallsBackToTheMessageBoxAndWarns) {
  Recorder r;
  TDialogSession session;
  session.Kind = dkSimple;
  ShowExceptionDialog(session, r.Runners(r.Dialog("simple", dkSimple, false), r.Dialog("detailed", dkNone)), r);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"enter", "beep", "simple", "messagebox",
                                               "warn:Cannot show the DialogBox window.", "leave"}));
  EXPECT_TRUE(session.Failed);
  EXPECT_EQ(session.Kind, dkNone);
}

TEST(ShowExceptionDialog, NoMessageBoxInsteadOutsideTheNtFamily) {
  Recorder r;
  r.ntFamily = false;
  TDialogSession session;
  session.Kind = dkDetailed;
  ShowExceptionDialog(session, r.Runners(r.Dialog("simple", dkNone), r.Dialog("detailed", dkNone, false)), r);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"enter", "beep", "detailed",
                                               "warn:Cannot show the DialogBox window.", "leave"}));
  EXPECT_TRUE(session.Failed);
}

TEST(ShowExceptionDialog, RestartRequestIsConfirmedAndAWithdrawalRunsTheStepAgain) {
  for (const bool keep : {true, false}) {
    Recorder r;
    TDialogSession session;
    session.Kind = dkSimple;
    int confirmations = 0;
    session.ConfirmTerminate = [&] {
      ++confirmations;
      return keep;
    };
    const TDialogRunner ticksRestart = [&](TDialogSession& s) {
      r.calls.push_back("simple");
      s.Shown = true;
      s.TerminateRequested = true;
      s.Kind = dkNone;
    };
    ShowExceptionDialog(session, r.Runners(ticksRestart, r.Dialog("detailed", dkNone)), r);
    EXPECT_EQ(confirmations, 1);
    EXPECT_EQ(session.TerminateRequested, keep);
    // After a withdrawal the step runs again with kind dkNone: nothing more is shown.
    EXPECT_EQ(r.calls, (std::vector<std::string>{"enter", "beep", "simple", "leave"}));
    EXPECT_FALSE(session.Failed);
  }
}

}  // namespace
}  // namespace tarvex
