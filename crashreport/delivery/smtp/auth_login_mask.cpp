#include "crashreport/delivery/smtp/auth_login_mask.h"

#include <cctype>

namespace tarvex {

namespace {

constexpr std::string_view kAuthLogin = "AUTH LOGIN";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

std::string_view LineEnd(std::string_view command) {
  return command.ends_with("\r\n") ? std::string_view("\r\n") : std::string_view();
}

}  // namespace

std::string AuthLoginMask::ShownCommand(std::string_view command) {
  const std::string_view end = LineEnd(command);
  const std::string_view line = command.substr(0, command.size() - end.size());
  if (secretsAhead_ > 0) {
    --secretsAhead_;
    return std::string(kMaskedSecret) + std::string(end);
  }
  if (!StartsWithNoCase(line, kAuthLogin) || (line.size() > kAuthLogin.size() && line[kAuthLogin.size()] != ' '))
    return std::string(command);
  const bool initialResponse = line.find_first_not_of(' ', kAuthLogin.size()) != std::string_view::npos;
  if (!initialResponse) {
    secretsAhead_ = 2;
    return std::string(command);
  }
  secretsAhead_ = 1;
  return std::string(line.substr(0, kAuthLogin.size())) + " " + std::string(kMaskedSecret) + std::string(end);
}

}  // namespace tarvex
