#include "crashreport/dialogs/settings/settings_file_win.h"

#include <windows.h>

#include <cstdlib>

#include "crashreport/base/options/log_file_name.h"
#include "crashreport/base/util/macros.h"

namespace tarvex {
namespace {

std::string UserSettingsPath() {
  LogFileSystem& system = ThisLogFileSystem();
  std::string folder = UserAppDataFolder(system, ProcessMacroValues());
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  folder += "TarvexLog";
  ForceFolders(folder, system);
  return folder + "\\TarvexLog.ini";
}

}  // namespace

TSettingsFile::TSettingsFile() : path_(UserSettingsPath()) {}

std::string TSettingsFile::ReadString(const char* section, const char* key, const std::string& fallback) const {
  char value[2048];
  const DWORD length =
      GetPrivateProfileStringA(section, key, fallback.c_str(), value, sizeof value, path_.c_str());
  return std::string(value, length);
}

int TSettingsFile::ReadInteger(const char* section, const char* key, int fallback) const {
  const std::string text = ReadString(section, key);
  if (text.empty()) return fallback;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  return *end == '\0' ? static_cast<int>(value) : fallback;
}

bool TSettingsFile::WriteString(const char* section, const char* key, const std::string& value) const {
  return WritePrivateProfileStringA(section, key, value.c_str(), path_.c_str()) != FALSE;
}

bool TSettingsFile::WriteInteger(const char* section, const char* key, int value) const {
  return WriteString(section, key, std::to_string(value));
}

}  // namespace tarvex
