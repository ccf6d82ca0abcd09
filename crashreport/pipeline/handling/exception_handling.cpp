#include "crashreport/pipeline/handling/exception_handling.h"

#include <optional>
#include <utility>
#include <vector>

#include "crashreport/base/options/message_texts.h"
#include "crashreport/base/options/options.h"
#include "crashreport/pipeline/handling/exception_message.h"
#include "crashreport/pipeline/handling/handling_choice.h"
#include "crashreport/pipeline/handling/internal_errors.h"
#include "crashreport/pipeline/handling/save_to_log.h"
#include "rtl/exception.h"

namespace tarvex {

namespace {

constexpr uint64_t kCustomDataField = uint64_t{1} << 47;
// The simple dialog may hand over to the detailed one; more rounds than this
// mean a dialog that never ends its session.
constexpr int kMaxDialogRounds = 4;

const char* const kBuildTool = "GCC " __VERSION__;

std::vector<std::pair<std::string, std::string>> NameValuePairs(const TStrings& lines) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const std::string& line : lines) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      pairs.emplace_back(line, std::string());
    else
      pairs.emplace_back(line.substr(0, equals), line.substr(equals + 1));
  }
  return pairs;
}

}  // namespace

struct TExceptionHandling::Run {
  explicit Run(const TCaptureInfo& capture) : Capture(capture) {}
  const TCaptureInfo& Capture;
  double Time = 0;
  HandlingChoice Choice;
  bool Send = false;
  bool AttachScreenshot = false;
  bool Background = false;     // delivery runs in a thread of its own
  bool DuplicateChecked = false;
  bool CopyToClipboard = false;
  std::string WholeLog;
};

TExceptionHandling::TExceptionHandling(const THandlingServices& services)
    : services_(services), options_(*services.Current), system_(*services.System), events_(*services.Events) {
  events_.SetRunner([this](const std::function<void()>& call) { CallEvent(call); });
}

TExceptionHandling::~TExceptionHandling() { events_.SetRunner(nullptr); }

bool TExceptionHandling::ProcessException(const TCaptureInfo& capture) {
  try {
    return Handle(capture);
  } catch (const rtl::Exception& e) {
    InternalFailure(&e, e.ClassName(), e.Message());
  } catch (const std::exception& e) {
    InternalFailure(nullptr, "std::exception", e.what());
  } catch (...) {
    InternalFailure(nullptr, std::string(), "General internal error.");
  }
  return true;
}

void TExceptionHandling::Abandoned() {
  run_ = nullptr;  // it lived on the ended thread's stack
  InternalFailure(nullptr, std::string(), "General internal error.");
}

bool TExceptionHandling::Handle(const TCaptureInfo& capture) {
  SetStep(stStart);
  Run run(capture);
  run_ = &run;
  struct Forget {
    Run*& run;
    TEventRoute& events;
    TExceptionInfo& info;
    ~Forget() {
      run = nullptr;
      events.SetModuleEvents(nullptr);
      info.Capture = nullptr;
    }
  } forget{run_, events_, info_};
  run.Time = system_.Now();
  info_ = TExceptionInfo{};
  info_.Capture = &capture;
  info_.Object = capture.Object;
  info_.Address = capture.Address;
  info_.ThreadId = capture.ThreadId;
  info_.Handled = capture.Handled;
  state_.IsDuplicate = false;

  ChooseOptions(capture.Address);
  events_.SetModuleEvents(services_.Options->EventExportsAt(capture.Address));
  SetStep(stDefaults);
  run.Choice.Dialog = options_.DialogKind();
  SetStep(stFilters);
  if (capture.Object != nullptr)
    run.Choice = ChooseHandling(options_, *capture.Object, capture.Handled, capture.RaiseKind, *services_.Macros);
  SetStep(stSendDecision);
  run.Send = SendWanted();
  if (run.Choice.Handling == fhStandard) return true;
  if (run.Choice.Handling == fhIgnore) return false;

  SetStep(stCallStack);
  services_.Builder->TraceCallStacks(capture, options_);
  info_.ExceptionId = services_.Builder->ExceptionId();
  SetStep(stSuspendThreads);
  PauseThreads(capture);

  bool result = false;
  SetStep(stModulesLists);
  if ((options_.LogFlags() & lfSaveModuleSections) != 0) services_.Builder->ListModulesAndProcesses();
  ComposeReport(capture);
  if (events_.Notify(info_, capture.Handled)) {
    SetStep(stScreenshotAndCustomData);
    services_.Screenshot->Capture(options_);
    if (options_.CrashBurstAction() != taNone) state_.BurstTimes.Add(run.Time, options_.CrashBurstCount());
    AddCustomData();
    SetStep(stExceptionCount);
    ++state_.ExceptionCount;
    SetStep(stExceptionMessage);
    state_.LastExceptMessage =
        Report().exceptionMessage.empty() ? ExceptionMessage(capture.Object, std::nullopt) : Report().exceptionMessage;
    info_.Message = state_.LastExceptMessage;
    ShowDialog();
    if (run.Send && run.AttachScreenshot) services_.Screenshot->SaveForSending();
    services_.Screenshot->Free();
    SetStep(stClearOldLog);
    if ((options_.LogFlags() & lfClearLogOnNewVersion) != 0)
      services_.Log->ClearOnNewVersion(options_, services_.Builder->Facts().mainModule.version);
    SaveAndSend();
  } else {
    result = true;
  }
  ResumeThreads();

  SetStep(stAfterAction);
  if (!run.Background) RequestAfterAction(run.Choice.AfterAction);
  if ((options_.BehaviourFlags() & bfAlsoStandardHandling) != 0) result = true;
  SetStep(stEndDecision);
  if (capture.RaiseKind != rkThreadWrapper && !run.Background) EndDecision();
  return result;
}

void TExceptionHandling::ChooseOptions(uint32_t address) {
  SetStep(stOptionsModule);
  const TTarvexModuleOptions* module = services_.Options->OptionsAt(address);
  if (module == nullptr) module = services_.Options->MainProgramOptions();
  if (module != nullptr) {
    SetStep(stOptionsCopy);
    options_.CopyFrom(module);
    SetStep(stOptionsMainProgram);
    if ((module->BehaviourFlags() & bfMainProgramOptions) != 0) {
      const TTarvexModuleOptions* mainProgram = services_.Options->MainProgramOptions();
      if (mainProgram != nullptr && mainProgram != module) options_.CopyFrom(mainProgram);
    }
    options_.SetModule(module->ModuleFileName(), module->ModuleHandle());
  }
  options_.SetReproductionSteps(std::string());
  state_.MultiFreeLeakText = options_.Text(mtMultiFreeLeak);
  state_.OverrunLeakText = options_.Text(mtOverrunLeak);
  SetStep(stDevelopmentHost);
  if (system_.InDevelopmentEnvironment()) {
    OptionsUpdate update(options_);
    options_.SetDialogFlags(options_.DialogFlags() & ~dfOwnDialogLook);
    options_.SetText(mtEncounteredProblem, kDevelopmentHostEncounteredProblem);
    options_.SetText(mtRestartApplication, kDevelopmentHostRestartApplication);
  }
}

bool TExceptionHandling::SendWanted() const {
  return services_.Delivery != nullptr && !state_.IsDuplicate &&
         (options_.MailDelivery() != mdNone || options_.WebDelivery() != wdNone);
}

void TExceptionHandling::PauseThreads(const TCaptureInfo& capture) {
  if (capture.RaiseKind == rkThreadWrapper) return;
  const uint16_t flags = options_.BehaviourFlags();
  TThreadPause pause;
  pause.RuntimeThreads = (flags & bfPauseRuntimeThreads) != 0;
  pause.SpareMainThread = (flags & bfKeepMainThreadRunning) != 0;
  pause.OtherThreads = (flags & bfPauseSystemThreads) != 0;
  pause.RaisingThread = capture.ThreadId;
  if (!pause.Any()) return;
  paused_ = true;
  system_.PauseThreads(pause);
}

void TExceptionHandling::ResumeThreads() {
  if (!paused_) return;
  paused_ = false;
  system_.ResumeThreads();
}

void TExceptionHandling::ComposeReport(const TCaptureInfo& capture) {
  Run& run = *run_;
  SetStep(stReport);
  SetStep(stReportCompose);
  Report() = services_.Builder->Compose(capture, options_, run.Time);
  if ((options_.LogFlags() & lfSkipDuplicates) != 0 && !info_.ExceptionId.empty()) {
    SetStep(stDuplicateLookup);
    state_.IsDuplicate = services_.Log->FindDuplicate(options_, info_.ExceptionId, true);
    run.DuplicateChecked = true;
    run.Send = run.Send && !state_.IsDuplicate;
  }
  SetStep(stReportVariables);
  for (const auto& [name, value] : ReportVariables(services_.Builder->Facts(), Report()))
    system_.SetEnvironment(name, value);
}

void TExceptionHandling::AddCustomData() {
  TStrings lines;
  events_.Raise(&TTarvexEvents::OnCustomDataRequest, info_, lines);
  if (lines.empty() || (options_.ReportFields() & kCustomDataField) == 0) return;
  Report().SetCustomData(options_.Text(mtCustomInformation), NameValuePairs(lines));
}

void TExceptionHandling::ShowDialog() {
  Run& run = *run_;
  SetStep(stBeforeDialog);
  run.AttachScreenshot = (options_.SendFlags() & sfIncludeScreenshot) != 0;
  if (run.Choice.Dialog == dkNone) {
    // Without a dialog a console program or web server application still gets its error output.
    if (system_.ProgramKind() == pkConsole) Output(roStandardOutput);
    if (system_.ProgramKind() == pkWebServer) Output(roErrorPage);
    return;
  }
  const bool show = events_.Action(info_, acBeforeDialog);
  SetStep(stDialog);
  if (show) Output(ChooseReportOutput(run.Capture.OutputKind, system_.ProgramKind()));
  SetStep(stAfterDialog);
  events_.Action(info_, acAfterDialog);
}

void TExceptionHandling::ShowExceptionDialogs() {
  struct ShowingMark {
    std::atomic<bool>& showing;
    explicit ShowingMark(std::atomic<bool>& flag) : showing(flag) { showing = true; }
    ~ShowingMark() { showing = false; }
  } mark(dialogShowing_);
  Run& run = *run_;
  TDialogSession session;
  session.Options = &options_;
  session.Report = &Report();
  session.Facts = &services_.Builder->Facts();
  session.ShownMessage = run.Choice.CustomMessage.empty() ? state_.LastExceptMessage : run.Choice.CustomMessage;
  session.OnCustomButton = [this] { events_.Raise(&TTarvexEvents::OnCustomButtonClick, info_); };
  session.Kind = run.Choice.Dialog;
  session.Send = run.Send;
  session.AttachScreenshot = run.AttachScreenshot;
  session.IsDuplicate = state_.IsDuplicate;
  session.ExceptionCount = state_.ExceptionCount;
  // ConfirmTerminate stays empty: the end decision raises the before-terminate event itself.
  bool detailedShown = false;
  for (int round = 0; session.Kind != dkNone && round < kMaxDialogRounds; ++round) {
    detailedShown = detailedShown || session.Kind == dkDetailed;
    session.Repeated = round > 0;
    services_.Dialogs->ShowExceptionDialog(session);
    if (session.Failed) {
      system_.DebugOutput(InternalWarningLine("eeShowError", info_.Address, "Cannot show the DialogBox window."));
      break;
    }
  }
  run.Send = session.Send && SendWanted();
  run.AttachScreenshot = session.AttachScreenshot;
  run.CopyToClipboard = session.CopyToClipboard;
  if (session.TerminateRequested) {
    state_.TerminateRequested = true;
    state_.TerminateAction = options_.TerminateAction();
  }

  SetStep(stReproduceSteps);
  const bool askSteps = (options_.LogFlags() & lfAskReproduceSteps) != 0;
  if (detailedShown && askSteps && system_.ProgramKind() == pkGui && !state_.IsDuplicate &&
      (options_.WriteLog() || run.Send)) {
    std::string steps;
    if (services_.Dialogs->AskReproduceSteps(session, steps)) options_.SetReproductionSteps(steps);
  }
  if (askSteps) Report().SetReproduceSteps(options_.Text(mtRequest), options_.ReproductionSteps());
}

void TExceptionHandling::Output(TReportOutput where) {
  const char* area = where == roStandardOutput ? "Console" : "GUI";
  try {
    switch (where) {
      case roStandardOutput:
        system_.WriteStandardOutput(Report().Text() + "\r\n");
        break;
      case roErrorPage:
        if (services_.ErrorPage != nullptr && !system_.DebuggerPresent()) services_.ErrorPage->Send(Report());
        break;
      case roDialog:
        ShowExceptionDialogs();
        break;
    }
  } catch (const rtl::Exception& e) {
    Warn("eeShowError", area, &e);
  } catch (...) {
    Warn("eeShowError", area, nullptr);
  }
}

void TExceptionHandling::SaveAndSend() {
  Run& run = *run_;
  run.Send = run.Send && SendWanted();
  if (options_.WriteLog()) {
    SaveToLogRequest request;
    request.Report = Report().Text();
    request.IsDuplicate = state_.IsDuplicate;
    request.KeepWholeLog = run.Send && (options_.SendFlags() & sfSendWholeLog) != 0;
    request.MaxReports = options_.MaxLoggedReports();
    const SaveToLogResult saved =
        SaveToLog(request, services_.Log->ReportLog(options_), events_, info_, [this](const std::string& message) {
          system_.DebugOutput(InternalWarningLine("eeLogError", info_.Address, message));
        });
    run.WholeLog = saved.WholeLog;
  }
  if (run.CopyToClipboard) system_.CopyToClipboard(Report().Text());

  SetStep(stDelivery);
  if (run.Send) Deliver();
  if (!run.Background) {
    services_.Screenshot->DeleteSaved();
    CheckBurst();
  }
}

void TExceptionHandling::Deliver() {
  Run& run = *run_;
  TDeliveryRequest request;
  request.Options = &options_;
  request.ReportText = Report().Text();
  request.WholeLog = run.WholeLog;
  request.Events = &events_;
  request.Info = info_;
  request.Version = services_.Builder->Facts().mainModule.version;
  request.ExceptionType = services_.Builder->Facts().exceptionType;
  request.ExceptionTime = run.Time;
  request.ScreenshotSaved = run.AttachScreenshot;
  request.Inline = run.Capture.Inline;
  request.DialogsAllowed = run.Choice.Dialog != dkNone;
  request.InBackground = (options_.SendFlags() & sfDeliverInBackground) != 0 && !request.Inline;
  if (request.InBackground) {
    // The exception's capture and object live on the raising thread, which
    // goes on before the send is done.
    request.Info.Capture = nullptr;
    request.Info.Object = nullptr;
    const TTarvexFilterAfterAction afterAction = run.Choice.AfterAction;
    const bool endDecision = run.Capture.RaiseKind != rkThreadWrapper;
    request.Finished = [this, afterAction, endDecision] { FinishBackgroundDelivery(afterAction, endDecision); };
  }
  run.Background = request.InBackground;
  services_.Delivery->Deliver(std::move(request));
}

void TExceptionHandling::FinishBackgroundDelivery(TTarvexFilterAfterAction afterAction, bool endDecision) {
  services_.Screenshot->DeleteSaved();
  CheckBurst();
  RequestAfterAction(afterAction);
  if (endDecision) EndDecision();
}

void TExceptionHandling::RequestAfterAction(TTarvexFilterAfterAction action) {
  if (state_.TerminateRequested || action == faNone) return;
  state_.TerminateAction = action == faRestart ? taRestart : taTerminate;
  state_.TerminateRequested = true;
}

void TExceptionHandling::CheckBurst() {
  const TTarvexTerminateAction action = options_.CrashBurstAction();
  if (action == taNone || !state_.BurstTimes.IsBurst(options_.CrashBurstCount(), options_.CrashBurstMinutes())) return;
  state_.TerminateAction = action;
  state_.TerminateRequested = true;
}

void TExceptionHandling::EndDecision() {
  if (!state_.TerminateRequested) return;
  state_.TerminateRequested = events_.Action(info_, acBeforeTerminate, true);
  if (!state_.TerminateRequested) return;
  system_.EndProcess(state_.TerminateAction == taRestart);
  state_.TerminateRequested = false;  // only a test's system returns
}

void TExceptionHandling::CallEvent(const std::function<void()>& call) {
  // A thread whose stack overflowed waits on the few pages kept for it: a
  // handler run there would overflow it again, so it runs here instead.
  if (run_ != nullptr && run_->Capture.StackOverflow)
    call();
  else
    system_.RunInRaisingThread(call);
  if (run_ == nullptr) return;
  if (run_->DuplicateChecked) state_.IsDuplicate = services_.Log->FindDuplicate(options_, info_.ExceptionId, false);
  options_.ReloadShared();
}

void TExceptionHandling::Warn(const char* code, const char* area, const rtl::Exception* object) {
  system_.DebugOutput(InternalWarningLine(code, info_.Address, InternalWarningMessage(area, object)));
}

void TExceptionHandling::InternalFailure(const rtl::Exception* object, const std::string& className,
                                         const std::string& message) {
  try {
    ResumeThreads();
    if (object != nullptr && (object->InheritsFrom("EAbort") || object->InheritsFrom("ETarvexSocketError"))) return;
    const uint32_t address = system_.FailureAddress();
    system_.DebugOutput(InternalErrorLine(state_.Step, address, message));
    if (!system_.DebuggerPresent()) return;
    const std::string dump = system_.ReadableBytes(address, 32);
    InternalErrorFacts facts;
    facts.Date = system_.DateText();
    facts.OS = system_.SystemText();
    facts.BuildTool = kBuildTool;
    facts.Dump = {reinterpret_cast<const uint8_t*>(dump.data()), dump.size()};
    facts.Step = state_.Step;
    facts.LastExceptionClass = info_.Object != nullptr ? info_.Object->ClassName() : "";
    facts.Address = address;
    facts.ExceptionClass = className;
    facts.Message = message;
    system_.SaveInternalErrorReport(InternalErrorReport(facts));
  } catch (...) {
    // The report of a failure must not fail in turn.
  }
}

}  // namespace tarvex
