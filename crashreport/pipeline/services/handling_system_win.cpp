#include "crashreport/pipeline/services/handling_system_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "crashreport/callstack/pe/memory_space.h"
#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/base/options/log_file_name.h"
#include "crashreport/base/util/local_files_win.h"
#include "crashreport/pipeline/threads/handler_state_win.h"
#include "crashreport/pipeline/interception/raise_record_win.h"
#include "crashreport/pipeline/handling/restart.h"
#include "crashreport/base/util/file_names.h"
#include "crashreport/base/util/loaded_modules_win.h"
#include "crashreport/base/util/macros.h"

namespace tarvex {

namespace {

// Days from 1601-01-01 (the file time's start) to 1899-12-30.
constexpr double kFileTimeEpochDays = 109205.0;
constexpr double kFileTimeUnitsPerDay = 864000000000.0;

std::string CurrentFolder() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}


}  // namespace

TProgramKind RunningProgramKind() {
  const HMODULE program = GetModuleHandleA(nullptr);
  if (GetProcAddress(program, "HttpExtensionProc") != nullptr) return pkWebServer;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(program);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(reinterpret_cast<const char*>(program) + dos->e_lfanew);
  if (nt->OptionalHeader.Subsystem != IMAGE_SUBSYSTEM_WINDOWS_CUI) return pkGui;
  return GetEnvironmentVariableA("REQUEST_METHOD", nullptr, 0) > 0 ? pkWebServer : pkConsole;
}

TWindowsHandlingSystem::TWindowsHandlingSystem() : startFolder_(CurrentFolder()), kind_(RunningProgramKind()) {}

double TWindowsHandlingSystem::Now() const {
  SYSTEMTIME local;
  GetLocalTime(&local);
  FILETIME time;
  SystemTimeToFileTime(&local, &time);
  const uint64_t units = (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  return static_cast<double>(units) / kFileTimeUnitsPerDay - kFileTimeEpochDays;
}

bool TWindowsHandlingSystem::DebuggerPresent() const { return IsDebuggerPresent() != FALSE; }

void TWindowsHandlingSystem::PauseThreads(const TThreadPause& pause) {
  pauser_.Prepare(pause);
  pauser_.PausePrepared();
}

void TWindowsHandlingSystem::ResumeThreads() { pauser_.ResumeAll(); }

void TWindowsHandlingSystem::RunInRaisingThread(const std::function<void()>& call) { CallInRaisingThread(call); }

void TWindowsHandlingSystem::WriteStandardOutput(const std::string& text) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void TWindowsHandlingSystem::CopyToClipboard(const std::string& text) { CopyTextToClipboard(text); }

void TWindowsHandlingSystem::SetEnvironment(const std::string& name, const std::string& value) {
  SetEnvironmentVariableA(name.c_str(), value.c_str());
}

void TWindowsHandlingSystem::DebugOutput(const std::string& line) { OutputDebugStringA(line.c_str()); }

uint32_t TWindowsHandlingSystem::FailureAddress() const { return LastRaise().Address; }

std::string TWindowsHandlingSystem::DateText() const {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

std::string TWindowsHandlingSystem::SystemText() const {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return "Windows";
  char text[64];
  std::snprintf(text, sizeof text, "Windows %lu.%lu build %lu", version.dwMajorVersion, version.dwMinorVersion,
                version.dwBuildNumber & 0xFFFF);
  return text;
}

std::string TWindowsHandlingSystem::ReadableBytes(uint32_t address, size_t count) const {
  const uint32_t wanted = static_cast<uint32_t>(count);
  std::string bytes(std::min(wanted, tarvex::ReadableBytes(ThisProcessMemory(), address, wanted)), '\0');
  if (!ReadMemory(ThisProcessMemory(), address, bytes.data(), bytes.size())) bytes.clear();
  return bytes;
}

void TWindowsHandlingSystem::SaveInternalErrorReport(const std::string& text) {
  const std::string program = ModuleFileName(ModuleHandleOf(reinterpret_cast<const void*>(&RunningProgramKind)));
  const std::string name = ChangeFileExt(program, ".log");
  if (WriteWholeFile(name, text)) return;
  // The program's folder cannot be written: the user's own folder.
  LogFileSystem& files = ThisLogFileSystem();
  const std::string folder = WithTrailingSeparator(UserAppDataFolder(files, ProcessMacroValues())) + "TarvexLog\\" +
                             ChangeFileExt(ExtractFileName(program), "");
  if (ForceFolders(folder, files)) WriteWholeFile(WithTrailingSeparator(folder) + ExtractFileName(name), text);
}

void TWindowsHandlingSystem::EndProcess(bool restart) {
  if (restart) {
    std::string commandLine = RestartCommandLine(GetCommandLineA());
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, kRestartCreationFlags, nullptr,
                       startFolder_.empty() ? nullptr : startFolder_.c_str(), &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  TerminateProcess(GetCurrentProcess(), kTerminateExitCode);
}

}  // namespace tarvex
