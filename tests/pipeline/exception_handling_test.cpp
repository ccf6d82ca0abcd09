// The handling's steps against recording parts: every call of a part and
// every event goes into one journal, so the tests see order and flags.
#include "crashreport/pipeline/handling/exception_handling.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/pipeline/recording_parts.h"

namespace {

using namespace tarvex;
using namespace tarvex::testing_parts;

class RecordingSystem : public THandlingSystem {
 public:
  explicit RecordingSystem(Journal& journal) : journal_(journal) {}
  double Now() const override { return now; }
  bool DebuggerPresent() const override { return debugger; }
  bool InDevelopmentEnvironment() const override { return developmentEnvironment; }
  TProgramKind ProgramKind() const override { return kind; }
  void PauseThreads(const TThreadPause& p) override {
    journal_.push_back("pause runtime=" + std::to_string(p.RuntimeThreads) + " spareMain=" +
                       std::to_string(p.SpareMainThread) + " others=" + std::to_string(p.OtherThreads) +
                       " raising=" + std::to_string(p.RaisingThread));
  }
  void ResumeThreads() override { journal_.push_back("resume"); }
  void RunInRaisingThread(const std::function<void()>& call) override {
    ++eventCalls;
    call();
  }
  void WriteStandardOutput(const std::string& text) override { journal_.push_back("stdout " + text); }
  void CopyToClipboard(const std::string& text) override { journal_.push_back("clipboard " + text); }
  void SetEnvironment(const std::string& name, const std::string& value) override { environment[name] = value; }
  void DebugOutput(const std::string& line) override { debugLines.push_back(line); }
  uint32_t FailureAddress() const override { return 0x00401234; }
  std::string DateText() const override { return "2026-12-10"; }
  std::string SystemText() const override { return "Windows"; }
  std::string ReadableBytes(uint32_t, size_t count) const override { return std::string(count, '\x90'); }
  void SaveInternalErrorReport(const std::string& text) override { errorReports.push_back(text); }
  void EndProcess(bool restart) override { journal_.push_back(restart ? "end restart" : "end terminate"); }

  double now = 46000.5;
  bool debugger = false;
  bool developmentEnvironment = false;
  TProgramKind kind = pkGui;
  int eventCalls = 0;
  std::map<std::string, std::string> environment;
  std::vector<std::string> debugLines, errorReports;

 private:
  Journal& journal_;
};

class Handling : public testing::Test, protected RecordingParts {
 protected:
  Handling() {
    TTarvexEvents& events = route.ProcedureVariables();
    events.OnExceptionNotify = [this](TExceptionInfo&, bool& handle) {
      journal.push_back("notify");
      handle = handleFlag;
    };
    events.OnHandledExceptionNotify = [this](TExceptionInfo&, bool&) { journal.push_back("handled notify"); };
    events.OnExceptionActionNotify = [this](TExceptionInfo&, TActionCode code, bool& goOn) {
      journal.push_back("action " + std::to_string(code));
      if (code == stopAtAction) goOn = false;
    };
    TTarvexModuleOptions& program = modules.program;
    program.SetWriteLog(true);
    program.SetLogFlags(0);
    program.SetSendFlags(0);
    program.SetBehaviourFlags(0);
    program.SetCrashBurstAction(taNone);
    program.SetUseExceptionFilters(true);
    capture.Object = &error;
    capture.Address = 0x00405000;
    capture.ThreadId = 77;
    capture.OutputKind = okApplication;
  }

  TExceptionHandling& Make() {
    handling.emplace(Services(system));
    return *handling;
  }
  bool Process() {
    if (!handling) Make();
    return handling->ProcessException(capture);
  }
  // Duplicates are counted, and the user agrees to send by mail.
  void SkipDuplicatesAndSendByMail() {
    modules.program.SetLogFlags(lfSkipDuplicates);
    modules.program.SetMailDelivery(mdSMTPRelay);
    dialogs.send = true;
  }
  bool Has(const std::string& entry) const { return std::ranges::find(journal, entry) != journal.end(); }
  // The journal without the entries that every handling writes.
  Journal Actions() const {
    Journal actions;
    for (const std::string& e : journal)
      if (e.starts_with("action") || e.starts_with("dialog") || e.starts_with("end")) actions.push_back(e);
    return actions;
  }

  RecordingSystem system{journal};
  std::optional<TExceptionHandling> handling;
  rtl::EConvertError error{"'abc' is not a valid integer value"};
  TCaptureInfo capture;
  bool handleFlag = true;
  int stopAtAction = -1;
};

TEST_F(Handling, DefaultsShowTheSimpleDialogThenSaveTheReport) {
  EXPECT_FALSE(Process());
  const Journal expected = {"trace",    "compose", "notify",         "screenshot", "action 0", "dialog 2",
                            "action 1", "action 2", "log add REPORT\r\n", "log save", "action 3",
                            "screenshot delete"};
  EXPECT_EQ(journal, expected);
  EXPECT_EQ(handling->State().ExceptionCount, 1);
  EXPECT_EQ(handling->State().LastReport.Text(), "REPORT\r\n");
  EXPECT_EQ(handling->State().LastExceptMessage, "Bad number.");
  EXPECT_EQ(dialogs.shownMessage, "Bad number.");
  EXPECT_EQ(handling->Info().ExceptionId, "1A2B");
  EXPECT_EQ(system.environment["_BugReport"], "REPORT\r\n");
  EXPECT_EQ(current.ModuleFileName(), "C:\\Zorvik\\ZorvikCalc.exe");
  EXPECT_EQ(current.ModuleHandle(), 0x400000u);
  EXPECT_TRUE(system.debugLines.empty());
}

TEST_F(Handling, EventsRunThroughTheRaisingThread) {
  Process();
  EXPECT_EQ(system.eventCalls, 5);  // the assigned handlers: notify, acBeforeDialog to acAfterSaveLog
}

// After a stack overflow the raising thread has no stack to spare: the
// handlers run on the handler thread, every one of them still called.
TEST_F(Handling, AfterAStackOverflowEventsRunOnTheHandlerThread) {
  capture.StackOverflow = true;
  Process();
  EXPECT_EQ(system.eventCalls, 0);
  EXPECT_TRUE(Has("notify"));
  EXPECT_TRUE(Has("action 3"));
}

// A handler sees what the raising thread captured while the handling runs, never after it.
TEST_F(Handling, EventHandlersSeeTheCaptureOfTheHandlingInProgress) {
  capture.RaiseKind = rkThreadWrapper;
  std::vector<std::pair<const TCaptureInfo*, int>> seen;
  route.ProcedureVariables().OnExceptionActionNotify = [&](TExceptionInfo& info, TActionCode, bool&) {
    seen.emplace_back(info.Capture, info.Capture != nullptr ? int(info.Capture->RaiseKind) : -1);
  };
  Process();
  ASSERT_EQ(seen.size(), 4u);  // acBeforeDialog to acAfterSaveLog
  for (const auto& [pointer, raiseKind] : seen) {
    EXPECT_EQ(pointer, &capture);
    EXPECT_EQ(raiseKind, int(rkThreadWrapper));
  }
  EXPECT_EQ(handling->Info().Capture, nullptr) << "the capture lived only as long as its handling";
}

TEST_F(Handling, FilterHandlingOneIsTheOrdinaryHandlingAndZeroSwallows) {
  const struct {
    TTarvexFilterHandling handling;
    bool result;
  } cases[] = {{fhStandard, true}, {fhIgnore, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.handling);
    journal.clear();
    modules.program.Filters().Clear();
    modules.program.Filters().Add({true, "EConvertError", "", fsAnyException, fdSimpleDialog, c.handling, faNone});
    EXPECT_EQ(Process(), c.result);
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(handling->State().ExceptionCount, 0);
  }
}

TEST_F(Handling, FilterChoosesDialogMessageAndAfterAction) {
  modules.program.Filters().Add(
      {true, "EConvertError", "Numbers only", fsAnyException, fdDetailedDialog, fhTarvexLog, faTerminate});
  EXPECT_FALSE(Process());
  EXPECT_EQ(dialogs.shownMessage, "Numbers only");
  EXPECT_EQ(Actions(), (Journal{"action 0", "dialog 3", "action 1", "action 2", "action 3", "action 8",
                                "end terminate"}));
}

TEST_F(Handling, AfterActionsAndTheTerminateEvent) {
  const struct {
    TTarvexFilterAfterAction after;
    int stopAt;
    const char* end;  // nullptr: the program goes on
  } cases[] = {{faNone, -1, nullptr}, {faTerminate, -1, "end terminate"}, {faRestart, -1, "end restart"},
               {faRestart, acBeforeTerminate, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.after) + " " + std::to_string(c.stopAt));
    journal.clear();
    stopAtAction = c.stopAt;
    modules.program.Filters().Clear();
    modules.program.Filters().Add({true, "Exception", "", fsAnyException, fdNone, fhTarvexLog, c.after});
    Process();
    EXPECT_EQ(Has("action 8"), c.after != faNone);
    EXPECT_EQ(Has("end terminate") || Has("end restart"), c.end != nullptr);
    if (c.end != nullptr) {
      EXPECT_TRUE(Has(c.end));
    }
    EXPECT_FALSE(handling->State().TerminateRequested);
  }
}

TEST_F(Handling, DialogTerminateBoxUsesTheTerminateAction) {
  modules.program.SetTerminateAction(taRestart);
  dialogs.terminate = true;
  Process();
  EXPECT_EQ(journal.back(), "end restart");
}

TEST_F(Handling, ThreadWrapperExceptionsSkipTheEndDecision) {
  dialogs.terminate = true;
  capture.RaiseKind = rkThreadWrapper;
  Process();
  EXPECT_FALSE(Has("action 8"));
  EXPECT_TRUE(handling->State().TerminateRequested);  // the next end decision takes it up
}

TEST_F(Handling, ClearedHandleFlagDoesNothingMoreAndGivesTheOrdinaryHandling) {
  handleFlag = false;
  modules.program.SetBehaviourFlags(bfPauseRuntimeThreads);
  EXPECT_TRUE(Process());
  EXPECT_EQ(journal, (Journal{"trace", "pause runtime=1 spareMain=0 others=0 raising=77", "compose", "notify",
                              "resume"}));
  EXPECT_EQ(handling->State().ExceptionCount, 0);
}

TEST_F(Handling, HandledExceptionsGetTheHandledNotifyEvent) {
  capture.Handled = true;
  Process();
  EXPECT_TRUE(Has("handled notify"));
  EXPECT_FALSE(Has("notify"));
}

TEST_F(Handling, DuplicateIsCountedNotLoggedNorSent) {
  SkipDuplicatesAndSendByMail();
  log.stored = {"1A2B"};
  EXPECT_FALSE(Process());
  EXPECT_TRUE(handling->State().IsDuplicate);
  EXPECT_EQ(log.counts["1A2B"], 1);
  EXPECT_FALSE(dialogs.offeredSend);
  EXPECT_TRUE(dialogs.toldDuplicate);
  EXPECT_EQ(dialogs.toldCount, 1);
  EXPECT_FALSE(Has("log add REPORT\r\n"));
  EXPECT_TRUE(Has("log save"));
  EXPECT_FALSE(Has("deliver"));
  // After the first count, every event refreshes the flag without counting.
  EXPECT_EQ(std::ranges::count(journal, std::string("duplicate? look")), 5);
  EXPECT_EQ(std::ranges::count(journal, std::string("duplicate? count")), 1);
}

TEST_F(Handling, TheDialogIsMarkedShowingOnlyWhileItIsUp) {
  bool showingDuringDialog = false;
  dialogs.whileShown = [&] { showingDuringDialog = handling->DialogShowing(); };
  EXPECT_FALSE(Make().DialogShowing());
  Process();
  EXPECT_TRUE(showingDuringDialog);
  EXPECT_FALSE(handling->DialogShowing()) << "the raising main thread must stop pumping once the dialog is gone";
}

TEST_F(Handling, NewReportIsLoggedAndSent) {
  SkipDuplicatesAndSendByMail();
  modules.program.SetSendFlags(sfIncludeScreenshot | sfSendWholeLog);
  Process();
  EXPECT_FALSE(handling->State().IsDuplicate);
  EXPECT_TRUE(dialogs.offeredSend);
  EXPECT_FALSE(dialogs.toldDuplicate);
  EXPECT_TRUE(Has("log add REPORT\r\n"));
  EXPECT_TRUE(Has("screenshot save"));
  EXPECT_TRUE(Has("deliver with WHOLE LOG"));
}

TEST_F(Handling, DeclinedSendingDeliversNothing) {
  modules.program.SetWebDelivery(wdHTTP);
  dialogs.send = false;
  Process();
  EXPECT_FALSE(Has("deliver"));
  EXPECT_FALSE(Has("screenshot save"));
}

TEST_F(Handling, BackgroundDeliveryLeavesTheEndDecisionToIt) {
  modules.program.SetWebDelivery(wdHTTP);
  modules.program.SetSendFlags(sfDeliverInBackground);
  modules.program.Filters().Add({true, "Exception", "", fsAnyException, fdNone, fhTarvexLog, faTerminate});
  Process();
  EXPECT_TRUE(Has("deliver in background"));
  EXPECT_FALSE(Has("action 8"));
  EXPECT_FALSE(Has("screenshot delete"));
  EXPECT_EQ(delivery.last.Info.Object, nullptr) << "the raising thread's object does not outlive its handling";

  ASSERT_TRUE(delivery.last.Finished);
  delivery.last.Finished();
  EXPECT_TRUE(Has("screenshot delete"));
  EXPECT_EQ(Actions().back(), "end terminate") << "the filter's after-action ends the program once the send is done";
}

TEST_F(Handling, AnInlineHandlingSendsInTheForeground) {
  modules.program.SetWebDelivery(wdHTTP);
  modules.program.SetSendFlags(sfDeliverInBackground);
  capture.Inline = true;
  Process();
  EXPECT_TRUE(Has("deliver"));
  EXPECT_FALSE(Has("deliver in background"));
  EXPECT_TRUE(delivery.last.Inline);
  EXPECT_FALSE(delivery.last.Finished);
}

TEST_F(Handling, TenExceptionsWithinAMinuteRestart) {
  modules.program.SetCrashBurstAction(taRestart);
  modules.program.SetCrashBurstCount(10);
  modules.program.SetCrashBurstMinutes(1);
  Make();
  for (int i = 0; i < 9; ++i) {
    system.now = 46000.5 + i * (5.0 / 86400);  // every 5 seconds
    Process();
  }
  EXPECT_FALSE(Has("action 8"));
  system.now += 5.0 / 86400;
  Process();
  EXPECT_EQ(Actions().back(), "end restart");
  EXPECT_EQ(handling->State().ExceptionCount, 10);
}

TEST_F(Handling, TenExceptionsOverMoreThanAMinuteGoOn) {
  modules.program.SetCrashBurstAction(taRestart);
  Make();
  for (int i = 0; i < 12; ++i) {
    system.now = 46000.5 + i * (10.0 / 86400);  // ten take 90 seconds
    Process();
  }
  EXPECT_FALSE(Has("action 8"));
}

TEST_F(Handling, AlsoStandardHandlingGivesTrueAfterTheDialog) {
  modules.program.SetBehaviourFlags(bfAlsoStandardHandling);
  EXPECT_TRUE(Process());
  EXPECT_TRUE(Has("dialog 2"));
}

TEST_F(Handling, OutputGoesWhereKindAndProgramSay) {
  const struct {
    TOutputKind kind;
    TProgramKind program;
    bool debugger;
    const char* output;  // nullptr: nothing but the events
  } cases[] = {
      {okApplication, pkGui, false, "dialog 2"},
      {okAutomatic, pkGui, false, "dialog 2"},
      {okAutomatic, pkConsole, false, "stdout REPORT\r\n\r\n"},
      {okApplication, pkConsole, false, "stdout REPORT\r\n\r\n"},
      {okAutomatic, pkWebServer, false, "error page REPORT\r\n"},
      {okWebPage, pkGui, false, "error page REPORT\r\n"},
      {okWebPage, pkWebServer, true, nullptr},
      {okApplication, pkWebServer, false, "dialog 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " " + std::to_string(c.program));
    journal.clear();
    capture.OutputKind = c.kind;
    system.kind = c.program;
    system.debugger = c.debugger;
    Process();
    Journal between;
    auto from = std::ranges::find(journal, "action 0"), to = std::ranges::find(journal, "action 1");
    ASSERT_LT(from, to);
    between.assign(from + 1, to);
    EXPECT_EQ(between, c.output ? Journal{c.output} : Journal{});
  }
}

TEST_F(Handling, WithoutDialogConsoleAndWebProgramsStillGetTheReport) {
  modules.program.SetDialogKind(dkNone);
  system.kind = pkConsole;
  Process();
  EXPECT_TRUE(Has("stdout REPORT\r\n\r\n"));
  EXPECT_FALSE(Has("action 0"));
  journal.clear();
  system.kind = pkGui;
  Process();
  EXPECT_EQ(Actions(), (Journal{"action 2", "action 3"}));
}

TEST_F(Handling, BeforeDialogEventMayCancelTheDialog) {
  stopAtAction = acBeforeDialog;
  Process();
  EXPECT_EQ(Actions(), (Journal{"action 0", "action 1", "action 2", "action 3"}));
}

TEST_F(Handling, SimpleDialogHandsOverToTheDetailedOneThenStepsAreAsked) {
  modules.program.SetLogFlags(lfAskReproduceSteps);
  modules.program.SetText(mtRequest, "Steps to reproduce");
  dialogs.script = {dkDetailed, dkNone};
  Process();
  EXPECT_EQ(Actions(), (Journal{"action 0", "dialog 2", "dialog 3 again", "action 1", "action 2", "action 3"}));
  EXPECT_TRUE(Has("reproduce"));
  EXPECT_EQ(current.ReproductionSteps(), "Typed letters");
  EXPECT_NE(handling->State().LastReport.Text().find("Steps to reproduce"), std::string::npos);
  EXPECT_NE(handling->State().LastReport.Text().find("Typed letters"), std::string::npos);
}

TEST_F(Handling, NoStepsAskedAfterOnlyTheSimpleDialogOrWithoutADialog) {
  modules.program.SetLogFlags(lfAskReproduceSteps);
  Process();
  EXPECT_FALSE(Has("reproduce"));
  modules.program.SetDialogKind(dkDetailed);
  capture.OutputKind = okWebPage;  // the output is not the dialog
  Process();
  EXPECT_FALSE(Has("reproduce"));
}

TEST_F(Handling, DialogThatNeverEndsItsSessionIsShownAFewTimesOnly) {
  dialogs.script = std::vector<TTarvexDialogKind>(100, dkSimple);
  Process();
  EXPECT_EQ(std::ranges::count(journal, std::string("dialog 2 again")), 3);
}

TEST_F(Handling, FailingDialogIsAWarningAndTheHandlingGoesOn) {
  dialogs.failAt = "dialog";
  EXPECT_FALSE(Process());
  ASSERT_EQ(system.debugLines.size(), 1u);
  EXPECT_EQ(system.debugLines[0],
            "[WARNING] - Code: eeShowError - Address: 00405000 - Message: \"[GUI] part failed: dialog\"");
  EXPECT_TRUE(Has("log save"));
}

TEST_F(Handling, CopyChoiceOfTheDialogPutsTheReportOnTheClipboard) {
  dialogs.copy = true;
  Process();
  EXPECT_TRUE(Has("clipboard REPORT\r\n"));
}

TEST_F(Handling, CustomDataBecomesASectionWithField47) {
  route.ProcedureVariables().OnCustomDataRequest = [](TExceptionInfo&, TStrings& lines) {
    lines.push_back("Level=7");
  };
  modules.program.SetText(mtCustomInformation, "Custom Information");
  Process();
  EXPECT_NE(handling->State().LastReport.Text().find("Custom Information"), std::string::npos);
  EXPECT_NE(handling->State().LastReport.Text().find("Level"), std::string::npos);
  modules.program.SetReportFields(kAllReportFields & ~(uint64_t{1} << 47));
  Process();
  EXPECT_EQ(handling->State().LastReport.Text(), "REPORT\r\n");
}

// The custom data, the e-mail the dialog writes and the reproduce steps end
// up in one text: the log, the clipboard, standard output and delivery get
// what the state keeps, which is the report composed with all of them at once.
TEST_F(Handling, EveryOutputGetsTheOneReportText) {
  const struct {
    const char* name;
    TProgramKind kind;
    TTarvexDialogKind dialog;
    const char* email;
    const char* steps;
  } cases[] = {
      {"detailed dialog", pkGui, dkDetailed, "bob@example.org", "Typed letters"},
      {"simple dialog", pkGui, dkSimple, "carol@example.org", ""},
      {"console program", pkConsole, dkNone, "", ""},
  };
  builder.head = "REPORT\r\n  3.3 Email: \r\n\r\n";
  builder.tail = "Call Stack\r\n";
  route.ProcedureVariables().OnCustomDataRequest = [](TExceptionInfo&, TStrings& lines) {
    lines.push_back("Level=7");
  };
  modules.program.SetText(91, "Custom Information");
  modules.program.SetText(123, "Steps to reproduce");
  modules.program.SetLogFlags(lfAskReproduceSteps);
  modules.program.SetMailDelivery(mdSMTPRelay);
  dialogs.send = true;
  dialogs.copy = true;
  for (const auto& c : cases) {
    journal.clear();
    dialogs.shownTexts.clear();
    delivery.sentText.clear();
    system.kind = c.kind;
    modules.program.SetDialogKind(c.dialog);
    dialogs.email = c.email;
    Process();

    BugReport expected(builder.head, builder.tail);
    expected.SetReproduceSteps("Steps to reproduce", c.steps);
    expected.SetUserEmail(c.email);
    expected.SetCustomData("Custom Information", {{"Level", "7"}});
    const std::string& text = handling->State().LastReport.Text();
    EXPECT_EQ(text, expected.Text()) << c.name;
    EXPECT_TRUE(Has("log add " + text)) << c.name;
    EXPECT_EQ(delivery.sentText, text) << c.name;
    if (c.dialog == dkNone) {
      EXPECT_TRUE(Has("stdout " + text + "\r\n")) << c.name;
      continue;
    }
    EXPECT_TRUE(Has("clipboard " + text)) << c.name;
    // The dialog showed the text it had written the e-mail into; the steps come after it.
    expected.SetReproduceSteps("Steps to reproduce", "");
    ASSERT_FALSE(dialogs.shownTexts.empty()) << c.name;
    EXPECT_EQ(dialogs.shownTexts.back(), expected.Text()) << c.name;
  }
}

TEST_F(Handling, ClearsTheLogOfAnotherVersionFirst) {
  modules.program.SetLogFlags(lfClearLogOnNewVersion);
  builder.facts.mainModule.version = "2.0.0.1";
  Process();
  auto clear = std::ranges::find(journal, "clear old log 2.0.0.1");
  ASSERT_NE(clear, journal.end());
  EXPECT_LT(clear, std::ranges::find(journal, "log save"));
}

TEST_F(Handling, ModulesListedWithTheModuleSections) {
  modules.program.SetLogFlags(lfSaveModuleSections);
  Process();
  EXPECT_LT(std::ranges::find(journal, "modules"), std::ranges::find(journal, "compose"));
}

TEST_F(Handling, OptionsOfTheModuleAtTheAddressOrOfTheMainProgram) {
  modules.library.SetDialogKind(dkDetailed);
  modules.library.SetBehaviourFlags(0);
  capture.Address = 0x10000200;
  Process();
  EXPECT_TRUE(Has("dialog 3"));
  EXPECT_EQ(current.ModuleFileName(), "C:\\Zorvik\\Plugin.dll");

  journal.clear();
  modules.library.SetBehaviourFlags(bfMainProgramOptions);
  Process();
  EXPECT_TRUE(Has("dialog 2"));  // the main program's dialog kind
  EXPECT_EQ(current.ModuleFileName(), "C:\\Zorvik\\Plugin.dll");
}

TEST_F(Handling, TheExceptionsModuleIsAskedFirstAndOnlyForItsOwnExceptions) {
  modules.libraryEvents.OnExceptionNotify = [this](TExceptionInfo& info, bool&) {
    journal.push_back("plug-in notify " + std::to_string(info.Address));
  };
  for (const uint32_t address : {0x10000200u, 0x00405000u}) {
    SCOPED_TRACE(address);
    journal.clear();
    capture.Address = address;
    Process();
    const bool inPlugIn = address == 0x10000200u;
    const auto notify = std::ranges::find(journal, "notify");
    EXPECT_EQ(notify != journal.begin() && *(notify - 1) == "plug-in notify " + std::to_string(address), inPlugIn);
    EXPECT_EQ(std::ranges::count_if(journal, [](const std::string& e) { return e.starts_with("plug-in"); }),
              inPlugIn ? 1 : 0);
  }
}

TEST_F(Handling, KeepsTheLeakTextsOfTheExceptionsModule) {
  modules.library.SetText(mtMultiFreeLeak, "Freed twice.");
  modules.library.SetText(mtOverrunLeak, "Written past the end.");
  modules.library.SetBehaviourFlags(0);  // its own options, not the main program's
  capture.Address = 0x10000200;
  Process();
  EXPECT_EQ(handling->State().MultiFreeLeakText, "Freed twice.");
  EXPECT_EQ(handling->State().OverrunLeakText, "Written past the end.");
}

TEST_F(Handling, InTheDevelopmentEnvironmentTheDialogsSpeakOfIt) {
  modules.program.SetDialogFlags(0x18F | dfOwnDialogLook);
  for (const bool development : {false, true}) {
    SCOPED_TRACE(development);
    system.developmentEnvironment = development;
    Process();
    EXPECT_EQ(current.DialogFlags(), development ? 0x18F : 0x18F | dfOwnDialogLook);
    EXPECT_EQ(current.Text(mtEncounteredProblem), development ? "The IDE has raised an exception.\r\n "
                                            : "The application has encountered a problem. We are sorry for the inconvenience.");
    EXPECT_EQ(current.Text(mtRestartApplication), development ? "Restart the IDE" : "Restart application.");
    EXPECT_EQ(modules.program.Text(mtRestartApplication), "Restart application.");  // the module's own options stay
  }
}

TEST_F(Handling, PausesTheThreadsTheOptionsNameUntilTheEnd) {
  modules.program.SetBehaviourFlags(bfPauseRuntimeThreads | bfKeepMainThreadRunning | bfPauseSystemThreads);
  Process();
  const auto pause = std::ranges::find(journal, "pause runtime=1 spareMain=1 others=1 raising=77");
  const auto resume = std::ranges::find(journal, "resume");
  ASSERT_NE(pause, journal.end());
  EXPECT_LT(std::ranges::find(journal, "trace"), pause);
  EXPECT_LT(std::ranges::find(journal, "log save"), resume);
  EXPECT_LT(resume, std::ranges::find(journal, "action 8"));

  journal.clear();
  capture.RaiseKind = rkThreadWrapper;  // the thread ends: nothing is paused
  Process();
  EXPECT_FALSE(Has("resume"));
}

TEST_F(Handling, FailingPartEndsTheHandlingAndNamesItsStep) {
  const struct {
    Failing* part;
    const char* call;
    int step;
  } cases[] = {
      {&builder, "trace", stCallStack},         {&builder, "compose", stReportCompose},
      {&log, "duplicate", stDuplicateLookup},   {&screenshot, "screenshot", stScreenshotAndCustomData},
      {&log, "clear", stClearOldLog},           {&delivery, "deliver", stDelivery},
  };
  modules.program.SetLogFlags(lfSkipDuplicates | lfClearLogOnNewVersion);
  modules.program.SetMailDelivery(mdSMTPRelay);
  modules.program.SetBehaviourFlags(bfPauseSystemThreads);
  dialogs.send = true;
  system.debugger = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    journal.clear();
    system.debugLines.clear();
    system.errorReports.clear();
    c.part->failAt = c.call;
    EXPECT_TRUE(Process());
    c.part->failAt.clear();
    const std::string section = std::to_string(c.step);
    ASSERT_EQ(system.debugLines.size(), 1u);
    EXPECT_EQ(system.debugLines[0], "[ERROR] - Section: " + section +
                                        " - Address: 00401234 - Message: \"part failed: " + c.call + "\"");
    ASSERT_EQ(system.errorReports.size(), 1u);
    EXPECT_NE(system.errorReports[0].find("Section   : " + section + "\r\n"), std::string::npos);
    EXPECT_NE(system.errorReports[0].find("Dump      : $90 $90"), std::string::npos);
    EXPECT_FALSE(Has("action 8"));
    // Threads paused before the failure run again.
    const bool paused = Has("pause runtime=0 spareMain=0 others=1 raising=77");
    EXPECT_EQ(paused, c.step != stCallStack);
    if (paused) {
      EXPECT_EQ(journal.back(), "resume");
    }
  }
}

TEST_F(Handling, FailureWithoutDebuggerOnlyWritesTheLine) {
  builder.failAt = "compose";
  EXPECT_TRUE(Process());
  EXPECT_EQ(system.debugLines.size(), 1u);
  EXPECT_TRUE(system.errorReports.empty());
}

}  // namespace
