// The recipients of a message as the options hold them: "a@b; c@d".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

// The addresses of `recipients`, split at "," and ";", each trimmed of blanks
// and control characters; empty entries are dropped.
std::vector<std::string> SplitRecipients(std::string_view recipients);

}  // namespace tarvex
