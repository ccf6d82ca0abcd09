// What the report keeps of the window that had the keyboard focus.
#pragma once

#include <string>

namespace tarvex {

inline constexpr size_t kFocusTextLimit = 255;

struct FocusedWindow {
  std::string className;
  std::string text;
  bool unicode = false;    // a Unicode window: its text is not read
  bool multiLine = false;  // an edit or memo of several lines
  bool password = false;   // an edit that hides its text
};

struct FocusCapture {
  std::string className;  // at most 255 characters
  std::string text;       // at most 255 characters; "*" for every character of a password
  friend bool operator==(const FocusCapture&, const FocusCapture&) = default;
};

// The text is left out for Unicode windows and for multi-line edits and
// memos (their class name contains "EDIT" or "MEMO", in any case); a
// password edit's text is masked.
FocusCapture CaptureFocus(const FocusedWindow& window);

// Whether the window's text is read at all (so a Unicode window or a memo is
// never asked for its text).
bool FocusTextWanted(const std::string& className, bool unicode, bool multiLine);

}  // namespace tarvex
