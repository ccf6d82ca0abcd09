#include "crashreport/base/util/macros.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class FixedValues : public tarvex::MacroValues {
 public:
  std::string Environment(const std::string& name) const override {
    const auto found = environment.find(name);
    return found == environment.end() ? std::string() : found->second;
  }
  std::string ShortDate() const override { return "10/12/2026"; }
  std::string LongTime() const override { return "05:38:00"; }
  std::string CurrentDirectory() const override { return "C:\\work"; }
  std::map<std::string, std::string> environment = {
      {"TEMP", "C:\\Temp"}, {"User_1", "ann"}, {"LOOP", "%TEMP%"}, {"Time", "env time"}, {"EMPTY", ""}};
};

TEST(ExpandMacros, Cases) {
  const FixedValues values;
  struct Case {
    const char* text;
    const char* expanded;
  };
  const Case cases[] = {
      {"%TEMP%\\log.elf", "C:\\Temp\\log.elf"},
      {"%User_1%-%TEMP%", "ann-C:\\Temp"},
      {"%LOOP%", "%TEMP%"},                    // replaced text is not scanned again
      {"%date% %TIME% %Cd%", "10/12/2026 05:38:00 C:\\work"},
      {"%Time%", "env time"},                  // the variable wins over the fall-back
      {"%EMPTY%|%MISSING%", "|"},
      {"100% sure", "100% sure"},
      {"50%% %", "50%% %"},
      {"%a b%", "%a b%"},
      {"%%TEMP%", "%C:\\Temp"},
      {"%TEMP", "%TEMP"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(tarvex::ExpandMacros(c.text, values), c.expanded) << c.text;
}

}  // namespace
