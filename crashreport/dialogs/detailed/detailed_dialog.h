// The detailed exception dialog: the whole bug report page by page, with
// the send, screenshot and clipboard boxes and the restart/terminate button.
#pragma once

#include "crashreport/pipeline/handling/handling_services.h"

namespace tarvex {

// Shows the dialog modally with no owner window, from the templates VX_DIALOG
// and VX_TAB_*; returns when the user is done, with the session's decisions
// set and its kind copy at dkNone. A dialog that cannot be made sets `Failed`.
void RunDetailedDialog(TDialogSession& session);

}  // namespace tarvex
