// Addresses of a report mail: the recipients as the options list them, the
// sender's header and envelope forms, and the one-line filter of header values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

// Every run of bytes below 32 (CR, LF, tab ...) becomes one space, so a
// value can never end its header line.
std::string OneLine(std::string_view text);

// `text` as a MIME quoted-string: in double quotes, with '"' and '\' escaped.
std::string QuotedString(std::string_view text);

// One-line `text` as a header shows it: as it is when it is ASCII, else as one
// encoded word "=?<charset>?B?<Base64>?=", since 8-bit bytes in a header
// have no charset a reader could know.
std::string HeaderText(std::string_view text, std::string_view charset);

// Why `recipient` cannot be put in "RCPT TO:<...>": it holds a control
// character, "<" or ">", or no "@". Nothing when it can.
std::optional<std::string> RecipientProblem(std::string_view recipient);

// The From header's value, one-line filtered: `senderAddress` as it is when it
// holds '"' or '<' (the user wrote a display name), else the quoted
// `userName` followed by the address in angle brackets. A display name with
// 8-bit text (in `charset`) becomes an encoded word.
std::string SenderHeader(std::string_view senderAddress, std::string_view userName, std::string_view charset);

// The address MAIL FROM carries for a From header value: what stands inside
// its last pair of angle brackets ("Name <a@b>" gives "a@b"), else the whole
// value trimmed.
std::string EnvelopeSender(std::string_view senderHeader);

}  // namespace tarvex
