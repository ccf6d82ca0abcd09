// Files a report in a web bug tracker (Mantis, Bugzilla or FogBugz) by
// driving its forms over one HTTP connection.
#pragma once

#include "crashreport/delivery/trackers/send_report_win.h"
#include "crashreport/delivery/trackers/tracker_submission.h"

namespace tarvex {

class TTarvexModuleOptions;

// With a THTTPConnection whose progress shows in the send dialog. Never
// raises: a connection that cannot be opened, or any other fault, gives
// tcUnknown with the fault's message as StatusText.
TTrackerResult SubmitToTracker(const TTrackerSubmission& submission, const TTarvexModuleOptions& options);
// The same through connections that `connectionClass` makes.
TTrackerResult SubmitToTracker(const TTrackerSubmission& submission, const TConnectionClass& connectionClass);

}  // namespace tarvex
