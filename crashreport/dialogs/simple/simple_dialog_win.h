// The simple exception dialog (template VX_MS_DIALOG): runs modally on the
// calling thread, with no owner window, and writes the user's answers into
// the session, its options and its report.
#pragma once

#include "crashreport/pipeline/handling/handling_services.h"

namespace tarvex {

// Sets session.Shown when the dialog painted; the kind copy to dkNone when it
// ends, or to dkDetailed when the user followed the details link.
void RunSimpleDialog(TDialogSession& session);

}  // namespace tarvex
