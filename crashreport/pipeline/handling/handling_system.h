// What the handling asks of the operating system. The Windows implementation
// is handling_system_win; tests give recording ones.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tarvex {

enum TProgramKind : uint8_t {
  pkGui,        // a program with windows
  pkConsole,    // a console program
  pkWebServer,  // a web server application (its errors go to the error page)
};

// Which threads a handling pauses (BehaviourFlags bits 0 to 2). The calling
// thread and the raising thread are never paused.
struct TThreadPause {
  bool RuntimeThreads = false;  // threads the program started (the threads list), the main thread included
  bool SpareMainThread = false;
  bool OtherThreads = false;    // threads the system or other libraries started
  uint32_t RaisingThread = 0;
  bool Any() const { return RuntimeThreads || OtherThreads; }
};

class THandlingSystem {
 public:
  virtual ~THandlingSystem() = default;

  virtual double Now() const = 0;  // local time, days since 1899-12-30
  virtual bool DebuggerPresent() const = 0;
  // The host program is the development environment: the dialogs then speak of it.
  virtual bool InDevelopmentEnvironment() const = 0;
  virtual TProgramKind ProgramKind() const = 0;

  // Pauses the threads `pause` names until ResumeThreads. Neither call takes
  // memory from the heap: a paused thread may hold the heap's lock.
  virtual void PauseThreads(const TThreadPause& pause) = 0;
  virtual void ResumeThreads() = 0;

  // Runs an event call in the thread that raised the exception and returns
  // when it has run (the handler thread never runs event handlers itself).
  virtual void RunInRaisingThread(const std::function<void()>& call) = 0;

  virtual void WriteStandardOutput(const std::string& text) = 0;
  virtual void CopyToClipboard(const std::string& text) = 0;
  virtual void SetEnvironment(const std::string& name, const std::string& value) = 0;
  virtual void DebugOutput(const std::string& line) = 0;

  // For the internal error report: where the crash reporter's own failure
  // was raised (0: unknown), the date and system, and up to `count` bytes of
  // readable memory at `address`.
  virtual uint32_t FailureAddress() const = 0;
  virtual std::string DateText() const = 0;
  virtual std::string SystemText() const = 0;
  virtual std::string ReadableBytes(uint32_t address, size_t count) const = 0;
  // Saves the internal error report beside the program (its file name with ".log").
  virtual void SaveInternalErrorReport(const std::string& text) = 0;

  // Ends the process at once with exit code 1, no finalisation running; with
  // `restart`, first starts the program again with its own command line in
  // the folder that was current at start-up. Returns only where the process
  // cannot be ended (a test's system).
  virtual void EndProcess(bool restart) = 0;
};

}  // namespace tarvex
