// log_writer LOG REPORT TAG COUNT MAX READY GO [CUT]: stores COUNT reports
// into the log LOG, keeping at most MAX, as a crashing program would: each is
// the report in the file REPORT with exception ID "TAG-n" and message "TAG n".
// It signals the event READY once started and waits for the event GO first,
// so that several writers start storing at the same moment.
// With CUT, the process ends (exit code 9) during the save of its last
// report, right after the first CUT bytes of that save's file writes: the
// writes go through a hook of this program's imported WriteFile.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "crashreport/callstack/hooks/import_hooks.h"
#include "crashreport/report/log/log_operations.h"
#include "crashreport/report/log/report_items.h"

namespace {

constexpr DWORD kStartWait = 120000;

HANDLE OpenNamedEvent(const char* name) { return OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name); }

constexpr UINT kCutExitCode = 9;
using WriteFileRoutine = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
void* realWriteFile = nullptr;
unsigned long long bytesBeforeCut = 0;

// Passes writes on until the cut, writes what is left before it, and ends the process there.
BOOL WINAPI WriteFileUntilCut(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
  const auto write = reinterpret_cast<WriteFileRoutine>(realWriteFile);
  if (size >= bytesBeforeCut) {
    DWORD done = 0;
    if (bytesBeforeCut > 0) write(file, data, static_cast<DWORD>(bytesBeforeCut), &done, overlapped);
    TerminateProcess(GetCurrentProcess(), kCutExitCode);
  }
  bytesBeforeCut -= size;
  return write(file, data, size, written, overlapped);
}

void CutTheNextSaveAfter(unsigned long long bytes) {
  bytesBeforeCut = bytes;
  tarvex::HookImportInModules({"log_writer.exe"}, "kernel32.dll", false, realWriteFile,
                              reinterpret_cast<void*>(&WriteFileUntilCut), "WriteFile");
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvex;
  if (argc != 8 && argc != 9) {
    std::fprintf(stderr, "usage: log_writer LOG REPORT TAG COUNT MAX READY GO [CUT]\n");
    return 2;
  }
  const std::string log = argv[1], tag = argv[3];
  const int count = std::atoi(argv[4]), maxCount = std::atoi(argv[5]);
  std::ifstream file(argv[2], std::ios::binary);
  std::ostringstream report;
  report << file.rdbuf();
  const HANDLE ready = OpenNamedEvent(argv[6]), go = OpenNamedEvent(argv[7]);
  if (!file || !ready || !go) {
    std::fprintf(stderr, "log_writer: cannot read %s or open the events\n", argv[2]);
    return 2;
  }
  SetEvent(ready);
  if (WaitForSingleObject(go, kStartWait) != WAIT_OBJECT_0) return 3;
  for (int i = 1; i <= count; ++i) {
    std::string text = report.str();
    SetItemValue(text, kItemExceptionId, tag + "-" + std::to_string(i), "ID");
    SetItemValue(text, kItemMessage, tag + " " + std::to_string(i), "Message");
    if (argc == 9 && i == count) CutTheNextSaveAfter(std::strtoull(argv[8], nullptr, 10));
    const LogError error = StoreReport(ThisLogStorage(), log, text, maxCount);
    if (error != LogError::None) {
      std::fprintf(stderr, "log_writer %s: report %d: %s\n", tag.c_str(), i, LogErrorText(error));
      return 1;
    }
  }
  return 0;
}
