#include "crashreport/base/util/local_files_win.h"

#include <windows.h>

#include <cstring>

namespace tarvex {

std::string TemporaryFolder() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) return {};
  std::string path(folder, length);
  if (path.back() != '\\' && path.back() != '/') path += '\\';
  return path;
}

bool WriteWholeFile(const std::string& fileName, const std::string& bytes) {
  const HANDLE file = CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool DeleteFileForced(const std::string& fileName) {
  const DWORD attributes = GetFileAttributesA(fileName.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
    SetFileAttributesA(fileName.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return DeleteFileA(fileName.c_str()) != FALSE;
}

bool CopyTextToClipboard(const std::string& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool copied = false;
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    char* bytes = static_cast<char*>(GlobalLock(memory));
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    copied = SetClipboardData(CF_TEXT, memory) != nullptr;
    if (!copied) GlobalFree(memory);
  }
  CloseClipboard();
  return copied;
}

}  // namespace tarvex
