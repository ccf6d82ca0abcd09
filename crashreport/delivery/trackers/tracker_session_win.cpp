#include "crashreport/delivery/trackers/tracker_session_win.h"

#include "crashreport/delivery/trackers/ansi_text.h"
#include "crashreport/delivery/trackers/page_charset.h"
#include "crashreport/delivery/trackers/tracker_fields.h"
#include "rtl/exception.h"
#include "rtl/format.h"

namespace tarvex {

TTrackerSession::TTrackerSession(const TConnectionClass& connectionClass, const TTrackerSubmission& submission,
                                 bool alwaysUtf8)
    : submission_(submission),
      alwaysUtf8_(alwaysUtf8),
      webFields_(FieldsFromEntries(submission.WebFields)),
      connection_(connectionClass(submission.Web, submission.Proxy)) {
  // An address that cannot be read (or a missing Internet library) leaves the
  // connection unconnected: that is no failed login but no connection at all.
  if (!connection_ || !connection_->Connected())
    throw rtl::Exception(
        rtl::Format("Cannot create an HTTP connection with the host: %s", submission.Web.Address.c_str()));
}

std::string TTrackerSession::Encoded(std::string_view text) const {
  return alwaysUtf8_ || PageExpectsUtf8(connection_->LastResponse) ? AnsiToUtf8(text) : std::string(text);
}

std::string TTrackerSession::WebField(std::string_view name) const { return Encoded(FieldValue(webFields_, name)); }

void TTrackerSession::AddSummary(std::string_view name) {
  connection_->SetSummaryField(name, Encoded(submission_.Version), Encoded(submission_.ExceptionType),
                               submission_.BugId);
}

void TTrackerSession::AddSearch(std::string_view name, bool withType) {
  connection_->SetSearchField(name, withType ? Encoded(submission_.ExceptionType) : std::string(), submission_.BugId);
}

void TTrackerSession::AddDescription(std::string_view name) {
  connection_->AddField(
      name, THTTPRequestBuilder::Describe(Encoded(submission_.ExceptionMessage), WebField("VX_ReproduceText")));
}

void TTrackerSession::AddCustomFields() {
  TFormFields encoded = webFields_;
  for (TFormField& field : encoded) field.Value = Encoded(field.Value);
  connection_->AddCustomFields(encoded);
}

}  // namespace tarvex
