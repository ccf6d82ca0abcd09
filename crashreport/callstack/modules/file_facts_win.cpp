#include "crashreport/callstack/modules/file_facts_win.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "crashreport/callstack/modules/module_texts.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

constexpr double kFileTimeTicksPerDay = 864000000000.0;   // 100 ns units
constexpr double kDaysFrom1601To1899 = 109205.0;          // 1601-01-01 to 1899-12-30

}  // namespace

double ToDateTime(const FILETIME& utc) {
  FILETIME local;
  if (!FileTimeToLocalFileTime(&utc, &local)) local = utc;
  const uint64_t ticks = uint64_t(local.dwHighDateTime) << 32 | local.dwLowDateTime;
  return double(ticks) / kFileTimeTicksPerDay - kDaysFrom1601To1899;
}

FileVersionFacts ReadFileVersionFacts(const std::string& path) {
  FileVersionFacts facts;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return facts;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return facts;

  void* value = nullptr;
  UINT length = 0;
  if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
    const auto* translation = static_cast<const WORD*>(value);
    const std::string key =
        rtl::Format("\\StringFileInfo\\%4.4X%4.4X\\FileDescription", translation[0], translation[1]);
    if (VerQueryValueA(data.data(), key.c_str(), &value, &length) && length > 1)
      facts.description.assign(static_cast<const char*>(value), strnlen(static_cast<const char*>(value), length));
  }
  if (VerQueryValueA(data.data(), "\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    facts.version = FileVersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  }
  return facts;
}

FileFacts ReadFileFacts(const std::string& path) {
  FileFacts facts;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return facts;
  FindClose(search);
  facts.size = found.nFileSizeLow;
  facts.date = ToDateTime(found.ftLastWriteTime);
  return facts;
}

}  // namespace tarvex
