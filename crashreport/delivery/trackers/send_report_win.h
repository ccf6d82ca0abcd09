// The trackers' submissions: each drives one tracker's forms in the order
// its pages need (log in, choose the project, search for the report, then
// file it or raise the counter of the earlier one).
#pragma once

#include <functional>
#include <memory>

#include "crashreport/delivery/http/http_connection_win.h"
#include "crashreport/delivery/trackers/tracker_submission.h"

namespace tarvex {

// Makes the submission's connection to `web` through `proxy`, connected;
// may raise as THTTPConnectionBase::Connect does.
using TConnectionClass =
    std::function<std::unique_ptr<THTTPConnectionBase>(const TWebEndpoint& web, const TProxyEndpoint& proxy)>;

class TTrackerSession;

class THTTPSendReport {
 public:
  explicit THTTPSendReport(TConnectionClass connectionClass) : ConnectionClass(std::move(connectionClass)) {}
  virtual ~THTTPSendReport() = default;
  // Files the report through a session of its own; a TTrackerCode.
  // `response` gets the last answer. Raises when the connection cannot be made.
  virtual int Send(const TTrackerSubmission& submission, THTTPResponse& response);

 protected:
  // The tracker's request sequence over the open session; a TTrackerCode.
  virtual int FileReport(TTrackerSession& session) = 0;
  // Whether every text goes in UTF-8, not only to pages that declare it.
  virtual bool AlwaysUtf8() const { return false; }

  TConnectionClass ConnectionClass;
};

class THTTPMantisSendReport : public THTTPSendReport {
 public:
  using THTTPSendReport::THTTPSendReport;

 protected:
  int FileReport(TTrackerSession& session) override;
  bool AlwaysUtf8() const override { return true; }
};

class THTTPBugzillaSendReport : public THTTPSendReport {
 public:
  using THTTPSendReport::THTTPSendReport;

 protected:
  int FileReport(TTrackerSession& session) override;
};

class THTTPFogBugzSendReport : public THTTPSendReport {
 public:
  using THTTPSendReport::THTTPSendReport;

 protected:
  int FileReport(TTrackerSession& session) override;
};

}  // namespace tarvex
