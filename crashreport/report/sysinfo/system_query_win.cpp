#include "crashreport/report/sysinfo/system_query_win.h"

#include <windows.h>

#include "crashreport/base/util/loaded_modules_win.h"
#include "crashreport/base/util/win_handles_win.h"

namespace tarvex {
namespace {

// Text from a call that fills a buffer of `size` characters and reports the
// length through `size`; nullopt when it fails.
template <typename Call>
std::optional<std::string> BufferText(DWORD size, Call call) {
  std::string text(size, '\0');
  if (!call(text.data(), &size)) return std::nullopt;
  text.resize(text.find('\0'));
  return text;
}

}  // namespace

std::optional<std::string> WindowsSystemQuery::RegistryValue(std::string_view key, std::string_view name) const {
  const win::RegistryKey open = win::OpenRegistryKey(HKEY_LOCAL_MACHINE, std::string(key));
  if (!open) return std::nullopt;
  const std::string valueName(name);
  DWORD size = 0;
  // The value may grow between asking for its size and reading it.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string data(size, '\0');
    DWORD read = size;
    const LONG status = RegQueryValueExA(open.get(), valueName.c_str(), nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(data.data()), &read);
    if (status == ERROR_SUCCESS && read <= size) {
      data.resize(read);
      return data;
    }
    if (status != ERROR_MORE_DATA) return std::nullopt;
    size = read;
  }
  return std::nullopt;
}

std::optional<std::string> WindowsSystemQuery::RegistrySubKey(std::string_view key, uint32_t index) const {
  const win::RegistryKey open = win::OpenRegistryKey(HKEY_LOCAL_MACHINE, std::string(key));
  if (!open) return std::nullopt;
  char name[256];  // the longest key name the registry allows, with its zero
  DWORD length = sizeof name;
  if (RegEnumKeyExA(open.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(name, length);
}

std::optional<std::string> WindowsSystemQuery::UserName() const {
  return BufferText(256, [](char* buffer, DWORD* size) { return GetUserNameA(buffer, size) != 0; });
}

std::optional<std::string> WindowsSystemQuery::ComputerName() const {
  return BufferText(MAX_COMPUTERNAME_LENGTH + 1,
                    [](char* buffer, DWORD* size) { return GetComputerNameA(buffer, size) != 0; });
}

std::optional<std::vector<Privilege>> WindowsSystemQuery::TokenPrivileges() const {
  win::KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive())) return std::nullopt;
  DWORD size = 0;
  GetTokenInformation(token.get(), ::TokenPrivileges, nullptr, 0, &size);
  if (size < sizeof(TOKEN_PRIVILEGES)) return std::nullopt;
  std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));  // DWORD-aligned
  if (!GetTokenInformation(token.get(), ::TokenPrivileges, buffer.data(), size, &size)) return std::nullopt;
  const auto* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  std::vector<Privilege> privileges;
  for (DWORD i = 0; i < list->PrivilegeCount; ++i) {
    LUID luid = list->Privileges[i].Luid;
    char name[256];
    DWORD length = sizeof name;
    if (!LookupPrivilegeNameA(nullptr, &luid, name, &length)) return std::nullopt;
    privileges.push_back({std::string(name, length), list->Privileges[i].Attributes});
  }
  return privileges;
}

std::optional<OsVersion> WindowsSystemQuery::Version() const {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return std::nullopt;
  return OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                   std::string(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion))};
}

std::optional<uint8_t> WindowsSystemQuery::ProductType() const {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return std::nullopt;
  return info.wProductType;
}

std::optional<bool> WindowsSystemQuery::IsWow64() const {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
  const auto isWow64 = win::LoadedFunction<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process");
  BOOL wow64 = FALSE;
  if (!isWow64 || !isWow64(GetCurrentProcess(), &wow64)) return std::nullopt;
  return wow64 != FALSE;
}

std::optional<MemoryStatus> WindowsSystemQuery::Memory() const {
  using GlobalMemoryStatusExFn = BOOL(WINAPI*)(MEMORYSTATUSEX*);
  if (const auto statusEx = win::LoadedFunction<GlobalMemoryStatusExFn>("kernel32.dll", "GlobalMemoryStatusEx")) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (statusEx(&status)) return MemoryStatus{status.ullTotalPhys, status.ullAvailPhys};
  }
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return MemoryStatus{status.dwTotalPhys, status.dwAvailPhys};
}

std::optional<std::string> WindowsSystemQuery::ModuleFileName() const {
  // The module holding this code: the program, or the library that carries the reporter.
  std::string path = tarvex::ModuleFileName(ModuleHandleOf(reinterpret_cast<const void*>(&ThisSystem)));
  if (path.empty()) return std::nullopt;
  return path;
}

std::optional<DiskSpace> WindowsSystemQuery::Disk(const std::string& root) const {
  using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(const char*, ULARGE_INTEGER*, ULARGE_INTEGER*, ULARGE_INTEGER*);
  const auto freeSpace = win::LoadedFunction<GetDiskFreeSpaceExFn>("kernel32.dll", "GetDiskFreeSpaceExA");
  ULARGE_INTEGER freeToCaller{}, total{}, totalFree{};
  if (!freeSpace || !freeSpace(root.c_str(), &freeToCaller, &total, &totalFree)) return std::nullopt;
  return DiskSpace{total.QuadPart, freeToCaller.QuadPart};
}

uint32_t WindowsSystemQuery::TickCount() const { return GetTickCount(); }

namespace {

// EnumSystemLocales reports through a callback without a context pointer;
// the list being filled belongs to the calling thread. Nothing may be thrown
// through the system's frames: a failure stops the enumeration instead.
thread_local std::vector<std::string>* enumeratedLocales = nullptr;
thread_local bool enumerationFailed = false;

BOOL Collect(const char* text) noexcept {
  try {
    enumeratedLocales->emplace_back(text);
    return TRUE;
  } catch (...) {
    enumerationFailed = true;
    return FALSE;
  }
}

BOOL CALLBACK CollectLocaleW(wchar_t* text) {
  char narrow[32];
  return WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr) > 0 ? Collect(narrow)
                                                                                                  : TRUE;
}

BOOL CALLBACK CollectLocaleA(char* text) { return Collect(text); }

}  // namespace

std::vector<std::string> WindowsSystemQuery::InstalledLocales() const {
  std::vector<std::string> locales;
  enumeratedLocales = &locales;
  enumerationFailed = false;
  // The wide-character enumeration where the system has one (NT), else the 8-bit one.
  if (!EnumSystemLocalesW(CollectLocaleW, LCID_INSTALLED) && !enumerationFailed)
    EnumSystemLocalesA(CollectLocaleA, LCID_INSTALLED);
  enumeratedLocales = nullptr;
  if (enumerationFailed) return {};
  return locales;
}

std::optional<std::string> WindowsSystemQuery::LocaleText(uint32_t locale, uint32_t kind) const {
  const int size = GetLocaleInfoA(locale, kind, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::string text(size, '\0');
  if (GetLocaleInfoA(locale, kind, text.data(), size) <= 0) return std::nullopt;
  text.resize(text.find('\0'));
  return text;
}

uint16_t WindowsSystemQuery::SystemDefaultLangId() const { return GetSystemDefaultLangID(); }

uint32_t WindowsSystemQuery::AnsiCodePage() const { return GetACP(); }

std::optional<uint32_t> WindowsSystemQuery::CharsetOfCodePage(uint32_t codePage) const {
  CHARSETINFO info{};
  if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(uintptr_t(codePage)), &info, TCI_SRCCODEPAGE))
    return std::nullopt;
  return info.ciCharset;
}

const SystemQuery& ThisSystem() {
  static const WindowsSystemQuery system;
  return system;
}

}  // namespace tarvex
