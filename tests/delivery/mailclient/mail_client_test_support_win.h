// What the mail client tests share: keys of the current user's registry that
// a test makes and removes, and the lines a recorder wrote.
#pragma once

#include <windows.h>
// <windows.h> first: <shlwapi.h> builds on its types.
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace tarvex::testing {

// A key below HKEY_CURRENT_USER made for one test and removed with all below
// it when the test ends. The current user's registrations come before the
// machine's, so the test's mail client is the one the code finds.
class TestRegistryKey {
 public:
  explicit TestRegistryKey(std::string path) : path_(std::move(path)) {
    SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());  // left over from a run that was cut short
  }
  ~TestRegistryKey() { SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str()); }
  TestRegistryKey(const TestRegistryKey&) = delete;
  TestRegistryKey& operator=(const TestRegistryKey&) = delete;

  // Sets the string value `name` ("" for the default value) of the key, or of
  // its sub-key `subKey`, making them as needed.
  void Set(const std::string& subKey, const char* name, const std::string& text) const {
    const std::string path = subKey.empty() ? path_ : path_ + "\\" + subKey;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

 private:
  std::string path_;
};

inline std::vector<std::string> RecordedLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::string CurrentDirectory() {
  char directory[MAX_PATH] = {};
  return std::string(directory, GetCurrentDirectoryA(MAX_PATH, directory));
}

}  // namespace tarvex::testing
