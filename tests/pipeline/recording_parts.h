// Recording parts of the handling for its tests: each call goes into one
// journal, so a test sees the order of calls and events with their flags.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "crashreport/base/options/options.h"
#include "crashreport/pipeline/handling/exception_handling.h"
#include "crashreport/pipeline/handling/handling_parts.h"
#include "crashreport/pipeline/handling/handling_services.h"
#include "crashreport/base/util/macros.h"
#include "rtl/exception.h"

namespace tarvex::testing_parts {

using Journal = std::vector<std::string>;

class EPartFailure : public rtl::Exception {
  RTL_EXCEPTION_CLASS(EPartFailure, rtl::Exception)
 public:
  using Exception::Exception;
};

// A part of the handling that can be told to fail at one of its calls.
struct Failing {
  std::string failAt;
  void Maybe(const std::string& call) const {
    if (call == failAt) throw EPartFailure("part failed: " + call);
  }
};

class RecordingBuilder : public TReportBuilder, public Failing {
 public:
  explicit RecordingBuilder(Journal& journal) : journal_(journal) {}
  void TraceCallStacks(const TCaptureInfo&, const TTarvexModuleOptions&) override {
    journal_.push_back("trace");
    Maybe("trace");
    traced_ = true;
  }
  std::string ExceptionId() const override { return traced_ ? id : ""; }
  void ListModulesAndProcesses() override { journal_.push_back("modules"); }
  BugReport Compose(const TCaptureInfo&, const TTarvexModuleOptions&, double) override {
    journal_.push_back("compose");
    if (onCompose) onCompose();
    Maybe("compose");
    BugReport report(head, tail);
    report.exceptionID = id;
    report.exceptionMessage = "Bad number.";
    return report;
  }
  const ReportFacts& Facts() const override { return facts; }

  std::string id = "1A2B";
  std::string head = "REPORT\r\n", tail;  // the composed report's parts
  ReportFacts facts;
  std::function<void()> onCompose;

 private:
  Journal& journal_;
  bool traced_ = false;
};

// Each showing takes the next entry of `script` as the kind the session ends with.
class RecordingDialogs : public TExceptionDialogs, public Failing {
 public:
  explicit RecordingDialogs(Journal& journal) : journal_(journal) {}
  void ShowExceptionDialog(TDialogSession& session) override {
    journal_.push_back("dialog " + std::to_string(session.Kind) + (session.Repeated ? " again" : ""));
    Maybe("dialog");
    shownMessage = session.ShownMessage;
    if (whileShown) whileShown();
    offeredSend = session.Send;
    toldDuplicate = session.IsDuplicate;
    toldCount = session.ExceptionCount;
    session.Kind = next < script.size() ? script[next++] : dkNone;
    session.Send = send.value_or(session.Send);
    session.TerminateRequested = terminate;
    session.CopyToClipboard = copy;
    if (!email.empty()) session.Report->SetUserEmail(email);
    shownTexts.push_back(session.Report->Text());
  }
  bool AskReproduceSteps(TDialogSession&, std::string& steps) override {
    journal_.push_back("reproduce");
    steps = "Typed letters";
    return true;
  }
  std::vector<TTarvexDialogKind> script;
  size_t next = 0;
  std::optional<bool> send;
  bool terminate = false, copy = false, offeredSend = false, toldDuplicate = false;
  int toldCount = 0;  // the exception count the dialog was given (it decides the restart box)
  std::function<void()> whileShown;  // runs while the dialog is up
  std::string shownMessage;
  std::string email;                    // what the user types into the e-mail box
  std::vector<std::string> shownTexts;  // the report as each showing left it

 private:
  Journal& journal_;
};

class RecordingLog : public THandlingLog, public TReportLog, public Failing {
 public:
  explicit RecordingLog(Journal& journal) : journal_(journal) {}
  bool FindDuplicate(const TTarvexModuleOptions&, const std::string& id, bool count) override {
    journal_.push_back(std::string("duplicate? ") + (count ? "count" : "look"));
    Maybe("duplicate");
    const bool found = stored.contains(id);
    if (found && count) ++counts[id];
    return found;
  }
  void ClearOnNewVersion(const TTarvexModuleOptions&, const std::string& version) override {
    journal_.push_back("clear old log " + version);
    Maybe("clear");
  }
  TReportLog& ReportLog(const TTarvexModuleOptions&) override { return *this; }
  void Add(const std::string& report, int) override { journal_.push_back("log add " + report); }
  std::string WholeText() const override { return "WHOLE LOG"; }
  void Save() override { journal_.push_back("log save"); }
  void Close() override {}

  std::set<std::string> stored;
  std::map<std::string, int> counts;

 private:
  Journal& journal_;
};

class RecordingScreenshot : public TScreenshotTaker, public Failing {
 public:
  explicit RecordingScreenshot(Journal& journal) : journal_(journal) {}
  void Capture(const TTarvexModuleOptions&) override {
    journal_.push_back("screenshot");
    Maybe("screenshot");
  }
  void SaveForSending() override { journal_.push_back("screenshot save"); }
  void Free() override {}
  void DeleteSaved() override { journal_.push_back("screenshot delete"); }

 private:
  Journal& journal_;
};

class RecordingPage : public TErrorPage {
 public:
  explicit RecordingPage(Journal& journal) : journal_(journal) {}
  void Send(const BugReport& report) override { journal_.push_back("error page " + report.Text()); }

 private:
  Journal& journal_;
};

class RecordingDelivery : public TReportDelivery, public Failing {
 public:
  explicit RecordingDelivery(Journal& journal) : journal_(journal) {}
  void Deliver(TDeliveryRequest request) override {
    journal_.push_back(std::string("deliver") + (request.InBackground ? " in background" : "") +
                       (request.WholeLog.empty() ? "" : " with " + request.WholeLog));
    Maybe("deliver");
    sentText = request.ReportText;
    last = std::move(request);
  }
  TDeliveryRequest last;
  std::string sentText;

 private:
  Journal& journal_;
};

class RegisteredOptions : public TModuleOptionsSource {
 public:
  const TTarvexEvents* EventExportsAt(uint32_t address) override {
    return address >= 0x10000000 && address < 0x10100000 ? &libraryEvents : nullptr;
  }
  const TTarvexModuleOptions* OptionsAt(uint32_t address) override {
    return address >= 0x10000000 && address < 0x10100000 ? &library : nullptr;
  }
  const TTarvexModuleOptions* MainProgramOptions() override { return &program; }
  TTarvexModuleOptions program{"C:\\Zorvik\\ZorvikCalc.exe", 0x400000};
  TTarvexModuleOptions library{"C:\\Zorvik\\Plugin.dll", 0x10000000};
  TTarvexEvents libraryEvents;  // the plug-in's event exports
};

class FixedMacros : public MacroValues {
 public:
  std::string Environment(const std::string&) const override { return ""; }
  std::string ShortDate() const override { return "10/12/2026"; }
  std::string LongTime() const override { return "20:00:00"; }
  std::string CurrentDirectory() const override { return "C:\\"; }
};

// Every recording part over one journal, and the handling's services over them.
struct RecordingParts {
  THandlingServices Services(THandlingSystem& system) {
    THandlingServices services;
    services.Current = &current;
    services.Options = &modules;
    services.Builder = &builder;
    services.Dialogs = &dialogs;
    services.Log = &log;
    services.Screenshot = &screenshot;
    services.ErrorPage = &page;
    services.Delivery = &delivery;
    services.Events = &route;
    services.System = &system;
    services.Macros = &macros;
    return services;
  }

  Journal journal;
  RecordingBuilder builder{journal};
  RecordingDialogs dialogs{journal};
  RecordingLog log{journal};
  RecordingScreenshot screenshot{journal};
  RecordingPage page{journal};
  RecordingDelivery delivery{journal};
  RegisteredOptions modules;
  FixedMacros macros;
  TEventRoute route;
  TTarvexModuleOptions current;
};

}  // namespace tarvex::testing_parts
