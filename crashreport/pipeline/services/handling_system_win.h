// The handling's view of Windows (THandlingSystem).
#pragma once

#include <string>

#include "crashreport/pipeline/handling/handling_system.h"
#include "crashreport/pipeline/threads/thread_pause_win.h"
#include "crashreport/base/util/loaded_modules_win.h"

namespace tarvex {

class TWindowsHandlingSystem : public THandlingSystem {
 public:
  // Remembers the current folder: a restarted program starts there.
  TWindowsHandlingSystem();

  double Now() const override;
  bool DebuggerPresent() const override;
  bool InDevelopmentEnvironment() const override { return HostIsDevelopmentEnvironment(); }
  TProgramKind ProgramKind() const override { return kind_; }
  void PauseThreads(const TThreadPause& pause) override;
  void ResumeThreads() override;
  void RunInRaisingThread(const std::function<void()>& call) override;
  void WriteStandardOutput(const std::string& text) override;
  void CopyToClipboard(const std::string& text) override;
  void SetEnvironment(const std::string& name, const std::string& value) override;
  void DebugOutput(const std::string& line) override;
  uint32_t FailureAddress() const override;
  std::string DateText() const override;
  std::string SystemText() const override;
  std::string ReadableBytes(uint32_t address, size_t count) const override;
  void SaveInternalErrorReport(const std::string& text) override;
  void EndProcess(bool restart) override;

  const std::string& StartFolder() const { return startFolder_; }

 private:
  std::string startFolder_;
  TProgramKind kind_;
  TThreadPauser pauser_;
};

// The kind of the running program: a web server application when it exports
// "HttpExtensionProc" or is a console program run for a request
// ("REQUEST_METHOD" set), else by the subsystem of its image.
TProgramKind RunningProgramKind();

}  // namespace tarvex
