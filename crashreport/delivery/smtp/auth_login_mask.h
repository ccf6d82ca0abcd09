// Keeps the secrets of AUTH LOGIN out of an SMTP transcript.
//
// After the command "AUTH LOGIN" the next two commands are the Base64 user
// name and password (whatever the server answered: a server without AUTH
// LOGIN still gets both). With an initial response ("AUTH LOGIN <user>")
// the user name is in the command itself and one command follows. The
// transcript shows "***" in their place; the dialogue itself is unchanged.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

inline constexpr std::string_view kMaskedSecret = "***";

class AuthLoginMask {
 public:
  // The text the transcript shows for `command` (sent in this order, with
  // or without its CR LF, which the shown text keeps).
  std::string ShownCommand(std::string_view command);

 private:
  int secretsAhead_ = 0;
};

}  // namespace tarvex
