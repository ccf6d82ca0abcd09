#include "crashreport/pipeline/handling/focus_capture.h"

#include <algorithm>
#include <cctype>

namespace tarvex {

namespace {

bool ClassContains(const std::string& className, const char* word) {
  std::string upper = className;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  return upper.find(word) != std::string::npos;
}

}  // namespace

bool FocusTextWanted(const std::string& className, bool unicode, bool multiLine) {
  if (unicode) return false;
  return !(multiLine && (ClassContains(className, "EDIT") || ClassContains(className, "MEMO")));
}

FocusCapture CaptureFocus(const FocusedWindow& window) {
  FocusCapture capture;
  capture.className = window.className.substr(0, kFocusTextLimit);
  if (!FocusTextWanted(window.className, window.unicode, window.multiLine)) return capture;
  capture.text = window.text.substr(0, kFocusTextLimit);
  if (window.password && ClassContains(window.className, "EDIT")) capture.text.assign(capture.text.size(), '*');
  return capture;
}

}  // namespace tarvex
