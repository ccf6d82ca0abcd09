// Sends a source location to the development environments that listen for
// one: each listens on a mailslot named after its own process id.
#pragma once

#include "crashreport/dialogs/detailed/source_location.h"

namespace tarvex {

// Writes the record to the mailslot of every running process that has one;
// the number of listeners reached (0 when none listens: nothing happens).
int SendSourceLocation(const SourceLocationRecord& record);

}  // namespace tarvex
