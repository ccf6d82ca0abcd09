#include "gui/wide_text.h"

#include <gtest/gtest.h>

namespace {

// The tests run with the Chinese locale (code page 936), the program's own.
TEST(WideText, ConvertsBetweenUtf8AnsiAndUtf16) {
  EXPECT_EQ(rtl::gui::Utf8ToWide("素材 Shape"), L"素材 Shape");
  EXPECT_EQ(rtl::gui::WideToAnsi(L"素材"), "\xcb\xd8\xb2\xc4");
  EXPECT_EQ(rtl::gui::AnsiToWide("\xcb\xd8\xb2\xc4"), L"素材");
  EXPECT_EQ(rtl::gui::WideToAnsi(L""), "");
}

}  // namespace
