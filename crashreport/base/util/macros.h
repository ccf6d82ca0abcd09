// Percent macros in paths and texts: "%NAME%" becomes the environment
// variable NAME; "date", "time" and "cd" (any case) fall back to the current
// date, time and directory when the variable is empty or missing.
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

class MacroValues {
 public:
  virtual ~MacroValues() = default;
  virtual std::string Environment(const std::string& name) const = 0;  // empty when missing
  virtual std::string ShortDate() const = 0;
  virtual std::string LongTime() const = 0;
  virtual std::string CurrentDirectory() const = 0;
};

// The running process's environment, clock and current directory
// (Windows: macros_win.cpp).
const MacroValues& ProcessMacroValues();

// A macro is "%", one or more of A-Z a-z 0-9 _, "%". Any other "%" stays as
// it is; replaced text is not scanned again; unknown names give "".
std::string ExpandMacros(std::string_view text, const MacroValues& values);

}  // namespace tarvex
