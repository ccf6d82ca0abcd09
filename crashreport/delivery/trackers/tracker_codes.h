// The outcome of filing a report in a bug tracker, as the delivery turns it
// into the message shown to the user.
#pragma once

namespace tarvex {

enum TTrackerCode : int {
  tcFiled = 0,      // filed, updated, or an existing report whose counter is at its limit
  tcBugClosed = 1,  // the existing report is closed
  tcUnknown = 2,    // the submission could not run (no connection, an internal fault)
  tcLoginFailed = 3,
  tcProjectFailed = 4,
  tcSearchFailed = 5,
  tcInsertFailed = 6,
  tcUpdateFailed = 7,
};

}  // namespace tarvex
