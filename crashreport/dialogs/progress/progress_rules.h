// The send-progress dialog's arithmetic and status line. Bytes and text only.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

class TTarvexModuleOptions;

// The progress dialog opens when the options ask for it, a delivery is
// configured and dialogs may be shown for this exception.
bool ProgressDialogWanted(const TTarvexModuleOptions& options, bool dialogsAllowed);

// The bar runs from 0 to 100 and never moves backwards.
int ForwardPosition(int current, int requested);
// The position after a step (clamped to 0..100).
int SteppedPosition(int current, int step);

// "<message text> <index>/<count>: <status>", the line shown while one of
// several messages is sent.
std::string NumberedStatus(std::string_view messageText, int index, int count, std::string_view status);

}  // namespace tarvex
