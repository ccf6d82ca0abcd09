// Runs a console program of the build as a child process and collects its
// standard output, for tests that watch a whole program meet a failure.
#pragma once

#include <windows.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace tarvex::testing {

struct ChildRun {
  std::string output;
  DWORD exitCode = 0;
  bool finished = false;
};

// Appends what the pipe holds now, without waiting for more.
inline void ReadAvailable(HANDLE pipe, std::string& out) {
  char buffer[4096];
  DWORD available = 0, got = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
         ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr) && got > 0)
    out.append(buffer, got);
}

// Starts `program` (a Windows path) with `arguments`, waits for it (generous
// limit: emulated Wine starts slowly) and collects its standard output and
// error. The pipe is read without blocking: under emulated Wine its reader is
// not always told that a process ended by TerminateProcess is gone.
// `whileRunning` is called with the process id about every 100 ms until it ends.
inline ChildRun RunChild(const char* program, const std::string& arguments,
                         const std::function<void(DWORD)>& whileRunning = {}) {
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
  for (int waited = 0; waited < 120000 && !run.finished; waited += 100) {
    run.finished = WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0;
    ReadAvailable(readEnd, run.output);
    if (!run.finished && whileRunning) whileRunning(process.dwProcessId);
  }
  if (!run.finished) TerminateProcess(process.hProcess, 99);
  ReadAvailable(readEnd, run.output);  // what the program wrote before it ended
  CloseHandle(readEnd);
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
