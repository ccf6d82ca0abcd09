// log_writer LOG REPORT TAG COUNT MAX READY GO: stores COUNT reports into the
// log LOG, keeping at most MAX, as a crashing program would: each is the
// report in the file REPORT with exception ID "TAG-n" and message "TAG n".
// It signals the event READY once started and waits for the event GO first,
// so that several writers start storing at the same moment.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "crashreport/report/log/log_operations.h"
#include "crashreport/report/log/report_items.h"

namespace {

constexpr DWORD kStartWait = 120000;

HANDLE OpenNamedEvent(const char* name) { return OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name); }

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvex;
  if (argc != 8) {
    std::fprintf(stderr, "usage: log_writer LOG REPORT TAG COUNT MAX READY GO\n");
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
    const LogError error = StoreReport(ThisLogStorage(), log, text, maxCount);
    if (error != LogError::None) {
      std::fprintf(stderr, "log_writer %s: report %d: %s\n", tag.c_str(), i, LogErrorText(error));
      return 1;
    }
  }
  return 0;
}
