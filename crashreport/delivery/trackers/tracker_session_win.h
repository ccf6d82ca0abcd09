// One submission's connection, with the texts of the report as its requests
// send them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "crashreport/delivery/http/transfer_progress.h"
#include "crashreport/delivery/trackers/send_report_win.h"

namespace tarvex {

class TTrackerSession {
 public:
  // Connects; raises rtl::Exception when the connection cannot be made. With `alwaysUtf8` every text of the report goes
  // in UTF-8; otherwise only to pages that declare it.
  TTrackerSession(const TConnectionClass& connectionClass, const TTrackerSubmission& submission, bool alwaysUtf8);

  THTTPConnectionBase& Connection() { return *connection_; }
  const TTrackerSubmission& Submission() const { return submission_; }

  // `text` (in the ANSI code page) as the next request sends it: in UTF-8
  // when the tracker always takes it or the last page declares it.
  std::string Encoded(std::string_view text) const;
  // The web field `name`, encoded.
  std::string WebField(std::string_view name) const;

  void AddSummary(std::string_view name);
  void AddSearch(std::string_view name, bool withType);
  void AddDescription(std::string_view name);
  void AddCustomFields();
  // Sends the request built; only the last request of a branch shows the
  // transfer in the progress dialog.
  bool Execute(bool lastOfBranch) { return connection_->Execute(lastOfBranch); }
  bool PageHas(std::string_view text) const { return connection_->ResponseIs("", text, ""); }

 private:
  const TTrackerSubmission& submission_;
  const bool alwaysUtf8_;
  const TFormFields webFields_;
  std::unique_ptr<THTTPConnectionBase> connection_;
};

}  // namespace tarvex
