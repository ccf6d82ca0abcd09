// Small text rules shared by the system information probes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "crashreport/base/util/text_case.h"  // TrimText, used by every probe

namespace tarvex {

// `text` followed by blanks up to `width` characters; longer text stays whole.
std::string PadRight(std::string_view text, size_t width);

// A registry string value's text: the bytes before the first zero.
std::string RegistryText(const std::optional<std::string>& value);
// A 4-byte registry value, least significant byte first; 0 when absent or shorter.
uint32_t RegistryDword(const std::optional<std::string>& value);

// Runs a probe so that it never raises: whatever escapes it becomes `fallback`.
template <typename Probe>
std::string Guarded(Probe&& probe, const char* fallback = "") noexcept {
  try {
    return probe();
  } catch (...) {
  }
  try {
    return fallback;
  } catch (...) {
    return {};  // out of memory even for the fall-back
  }
}

}  // namespace tarvex
