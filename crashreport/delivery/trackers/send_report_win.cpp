#include "crashreport/delivery/trackers/send_report_win.h"

#include "crashreport/delivery/trackers/tracker_session_win.h"

namespace tarvex {

int THTTPSendReport::Send(const TTrackerSubmission& submission, THTTPResponse& response) {
  TTrackerSession session(ConnectionClass, submission, AlwaysUtf8());
  const int code = FileReport(session);
  response = session.Connection().LastResponse;
  return code;
}

}  // namespace tarvex
