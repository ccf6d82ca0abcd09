// Case-insensitive comparisons and searches over 8-bit text (ASCII letters
// fold; other bytes compare as they are), and trimming of blanks and
// control characters.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

std::string LowerCase(std::string_view text);
bool SameTextIgnoringCase(std::string_view a, std::string_view b);
// Position of `what` in `text` from `from` on, ignoring case; npos when absent.
size_t FindIgnoringCase(std::string_view text, std::string_view what, size_t from = 0);
inline bool ContainsIgnoringCase(std::string_view text, std::string_view what) {
  return FindIgnoringCase(text, what) != std::string_view::npos;
}
// Without leading and trailing bytes up to the space (control characters included).
std::string_view TrimText(std::string_view text);

}  // namespace tarvex
