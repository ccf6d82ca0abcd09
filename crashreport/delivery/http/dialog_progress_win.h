// Web progress shown in the send dialog: the kind's message text in the
// status line and the bar moved as transfer_progress.h says.
#pragma once

#include <cstdint>

#include "crashreport/delivery/http/transfer_progress.h"

namespace tarvex {

class TTarvexModuleOptions;

void ShowConnectionProgress(const TTarvexModuleOptions& options, int kind, int percent);
// The callback of an upload whose progress shows in the dialog (`options` must outlive it).
TUploadProgress DialogUploadProgress(const TTarvexModuleOptions& options);

}  // namespace tarvex
