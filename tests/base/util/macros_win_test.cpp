// Macros expanded with the running process's environment, clock and folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>

#include "crashreport/base/util/macros.h"

namespace {

using tarvex::ExpandMacros;
using tarvex::ProcessMacroValues;

std::string Expand(const char* text) { return ExpandMacros(text, ProcessMacroValues()); }

TEST(ProcessMacros, EnvironmentVariablesOfAnyLength) {
  ASSERT_TRUE(SetEnvironmentVariableA("VX_MACRO_SHORT", "short value"));
  const std::string longValue(3000, 'x');
  ASSERT_TRUE(SetEnvironmentVariableA("VX_MACRO_LONG", longValue.c_str()));
  EXPECT_EQ(Expand("[%VX_MACRO_SHORT%]"), "[short value]");
  EXPECT_EQ(Expand("%VX_MACRO_LONG%"), longValue);
  EXPECT_EQ(Expand("[%VX_MACRO_NEVER_SET%]"), "[]");
  SetEnvironmentVariableA("VX_MACRO_SHORT", nullptr);
  SetEnvironmentVariableA("VX_MACRO_LONG", nullptr);
}

TEST(ProcessMacros, DateTimeAndFolderFallBacks) {
  for (const char* name : {"date", "time", "cd"}) SetEnvironmentVariableA(name, nullptr);
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows\\system32"));
  SYSTEMTIME before;
  GetLocalTime(&before);
  const std::string date = Expand("%date%");
  const std::string time = Expand("%TIME%");
  const std::string folder = Expand("%Cd%");
  SYSTEMTIME after;
  GetLocalTime(&after);
  SetCurrentDirectoryA(previous);

  EXPECT_EQ(_stricmp(folder.c_str(), "C:\\windows\\system32"), 0) << folder;
  const std::string year = std::to_string(after.wYear % 100);
  EXPECT_NE(date.find(year.size() == 1 ? "0" + year : year), std::string::npos) << date;
  std::smatch clock;
  ASSERT_TRUE(std::regex_search(time, clock, std::regex("([0-9]{1,2}):([0-9]{2}):([0-9]{2})"))) << time;
  const int minute = std::stoi(clock[2]);
  EXPECT_TRUE(minute == before.wMinute || minute == after.wMinute) << time;

  ASSERT_TRUE(SetEnvironmentVariableA("cd", "from the environment"));
  EXPECT_EQ(Expand("%CD%"), "from the environment");
  SetEnvironmentVariableA("cd", nullptr);
}

}  // namespace
