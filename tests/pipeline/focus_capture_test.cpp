#include "crashreport/pipeline/handling/focus_capture.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

TEST(FocusCapture, Rules) {
  const std::string longText(300, 'x');
  struct Case {
    const char* what;
    FocusedWindow window;
    FocusCapture expected;
  };
  const Case cases[] = {
      {"single-line edit", {"Edit", "123", false, false, false}, {"Edit", "123"}},
      {"password edit is masked", {"TEdit", "secret", false, false, true}, {"TEdit", "******"}},
      {"multi-line edit is left out", {"Edit", "a\r\nb", false, true, false}, {"Edit", ""}},
      {"memo by class name", {"TMemo", "notes", false, true, false}, {"TMemo", ""}},
      {"single-line memo keeps its text", {"TMemo", "one", false, false, false}, {"TMemo", "one"}},
      {"unicode window", {"Button", "OK", true, false, false}, {"Button", ""}},
      {"password style outside an edit is not masked", {"Button", "OK", false, false, true}, {"Button", "OK"}},
      {"long texts cut at 255", {longText, longText, false, false, false},
       {std::string(255, 'x'), std::string(255, 'x')}},
  };
  for (const Case& c : cases) EXPECT_EQ(CaptureFocus(c.window), c.expected) << c.what;
}

}  // namespace
