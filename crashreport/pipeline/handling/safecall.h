// The marker of an exception that a safecall frame turned into an error result.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

inline constexpr std::string_view kSafeCallPrefix = "[SafeCall Exception]: ";

inline bool IsSafeCallMessage(std::string_view message) { return message.starts_with(kSafeCallPrefix); }

inline std::string WithSafeCallPrefix(std::string message) {
  if (!IsSafeCallMessage(message)) message.insert(0, kSafeCallPrefix);
  return message;
}

}  // namespace tarvex
