// Text rules the exception dialogs share: what counts as an e-mail address,
// which texts the simple dialog's controls carry. Bytes and text only.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

class TTarvexModuleOptions;

// An address holds both "@" and "." (the dialog's only check).
bool LooksLikeEmail(std::string_view address);

// What the dialog does with the e-mail box's text when it finishes.
enum class TEmailEntry { Empty, Valid, Invalid };
TEmailEntry ClassifyEmailEntry(std::string_view trimmedText);

// The label of a button as measured: its text without the "&" markers
// ("&&" stands for one "&").
std::string WithoutAccelerators(std::string_view text);

// Sending is offered when an e-mail or web delivery is set, the report is
// not a duplicate and the options offer sending.
bool SendingOffered(const TTarvexModuleOptions& options, bool duplicate);

// The e-mail row shows when sending is offered and the mail goes otherwise
// than through the user's own mail program, or a web delivery is set.
bool EmailEntryShown(const TTarvexModuleOptions& options, bool sendingOffered);

// The restart/terminate box shows when an operation is configured and more
// exceptions than the configured number were handled in this run; its text
// index then (27 restart, 28 terminate), else -1.
int RestartBoxTextIndex(const TTarvexModuleOptions& options, int exceptionCount);

}  // namespace tarvex
