#include "crashreport/dialogs/detailed/source_location_win.h"

#include <windows.h>
#include <tlhelp32.h>

namespace tarvex {

namespace {

bool WriteToListener(DWORD processId, const SourceLocationRecord& record) {
  const HANDLE slot = CreateFileA(SourceLocationMailslot(processId).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (slot == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool sent = WriteFile(slot, record.data(), static_cast<DWORD>(record.size()), &written, nullptr) &&
                    written == record.size();
  CloseHandle(slot);
  return sent;
}

}  // namespace

int SendSourceLocation(const SourceLocationRecord& record) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  int reached = 0;
  PROCESSENTRY32 process{};
  process.dwSize = sizeof process;
  for (BOOL more = Process32First(snapshot, &process); more; more = Process32Next(snapshot, &process))
    if (process.th32ProcessID != 0 && WriteToListener(process.th32ProcessID, record)) ++reached;
  CloseHandle(snapshot);
  return reached;
}

}  // namespace tarvex
