// A program that ends itself the way a handling's end decision does.
//   restart_probe MODE LOGFILE EVENT [more arguments]
// Each run appends "start|<current folder>|<command line>" to LOGFILE, then
// moves to another folder (a restart must start in the remembered one). In
// MODE "restart" the first run restarts the program and the second run sets
// the named EVENT; in MODE "terminate" the run ends itself. A run that ends
// normally appends "finalised" from its exit handler.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "crashreport/pipeline/services/handling_system_win.h"

namespace {

const char* logFile = nullptr;

void Append(const std::string& line) {
  if (FILE* file = std::fopen(logFile, "ab")) {
    std::fputs((line + "\n").c_str(), file);
    std::fclose(file);
  }
}

int CountStarts() {
  int starts = 0;
  if (FILE* file = std::fopen(logFile, "rb")) {
    char line[4096];
    while (std::fgets(line, sizeof line, file))
      if (std::string(line).starts_with("start|")) ++starts;
    std::fclose(file);
  }
  return starts;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const std::string mode = argv[1];
  logFile = argv[2];
  tarvex::TWindowsHandlingSystem system;
  const bool firstRun = CountStarts() == 0;
  Append("start|" + system.StartFolder() + "|" + GetCommandLineA());
  std::atexit([] { Append("finalised"); });
  SetCurrentDirectoryA("C:\\");

  if (mode == "terminate" || (mode == "restart" && firstRun)) system.EndProcess(mode == "restart");
  if (HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3])) {
    SetEvent(event);
    CloseHandle(event);
  }
  return 0;
}
