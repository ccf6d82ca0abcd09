// The 158 customisable texts of the crash reporter, looked up by index.
#pragma once

#include <array>

namespace tarvex {

inline constexpr int kMessageTextCount = 158;

// The English defaults; index 153 is empty.
extern const std::array<const char*, kMessageTextCount> kDefaultMessageTexts;

// Replacements of texts 26 and 27 while the host program is the development environment.
extern const char* const kDevelopmentHostText26;
extern const char* const kDevelopmentHostText27;

}  // namespace tarvex
