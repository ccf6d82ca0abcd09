// Runs a console program of the build as a child process and collects its
// standard output, for tests that watch a whole program meet a failure.
#pragma once

#include <windows.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace tarvex::testing {

struct ChildRun {
  std::string output;
  DWORD exitCode = 0;
  bool finished = false;
};

// Starts `program` (a Windows path) with `arguments`, reads its standard
// output and error to the end and waits for it (generous limit: emulated
// Wine starts slowly).
inline ChildRun RunChild(const char* program, const std::string& arguments) {
  ChildRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string commandLine = "\"" + std::string(program) + "\" " + arguments;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessA(program, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return run;
  }
  // Read while the child runs, and what is left once it has ended: a process
  // it started (Wine's desktop, for one) may hold the pipe's write end open
  // long after, so the end of the output is the child's end, not the pipe's.
  const DWORD start = GetTickCount();
  char buffer[4096];
  for (;;) {
    DWORD available = 0, got = 0;
    if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) break;  // every writer is gone
    if (available > 0) {
      if (!ReadFile(readEnd, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr)) break;
      run.output.append(buffer, got);
      continue;
    }
    if (run.finished) break;  // ended, and everything it wrote is read
    run.finished = WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0;
    if (!run.finished && GetTickCount() - start > 120000) break;
  }
  CloseHandle(readEnd);
  if (!run.finished) run.finished = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

// The rest of every line of `text` that starts with `prefix`, line ends cut.
inline std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with(prefix)) lines.push_back(line.substr(prefix.size()));
  }
  return lines;
}

}  // namespace tarvex::testing
