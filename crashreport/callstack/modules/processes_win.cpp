#include "crashreport/callstack/modules/processes_win.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>

#include "crashreport/callstack/modules/dynamic_library_win.h"
#include "crashreport/callstack/modules/file_facts_win.h"
#include "crashreport/callstack/modules/module_texts.h"
#include "crashreport/base/util/text_case.h"
#include "crashreport/base/util/win_handles_win.h"

namespace tarvex {

namespace {

constexpr int kMaxProcessIds = 1025;

struct SystemCalls {
  DynamicLibrary psapi{"PSAPI.dll"};
  DynamicLibrary kernel{"Kernel32.dll", true};
  decltype(GetProcessMemoryInfo)* processMemoryInfo = psapi.Get<decltype(GetProcessMemoryInfo)>("GetProcessMemoryInfo");
  decltype(GetModuleFileNameExA)* moduleFileNameEx = psapi.Get<decltype(GetModuleFileNameExA)>("GetModuleFileNameExA");
  decltype(EnumProcesses)* enumProcesses = psapi.Get<decltype(EnumProcesses)>("EnumProcesses");
  decltype(CreateToolhelp32Snapshot)* snapshot =
      kernel.Get<decltype(CreateToolhelp32Snapshot)>("CreateToolhelp32Snapshot");
  decltype(Thread32First)* threadFirst = kernel.Get<decltype(Thread32First)>("Thread32First");
  decltype(Thread32Next)* threadNext = kernel.Get<decltype(Thread32Next)>("Thread32Next");
  decltype(Process32First)* processFirst = kernel.Get<decltype(Process32First)>("Process32First");
  decltype(Process32Next)* processNext = kernel.Get<decltype(Process32Next)>("Process32Next");
  decltype(Module32First)* moduleFirst = kernel.Get<decltype(Module32First)>("Module32First");
  decltype(Module32Next)* moduleNext = kernel.Get<decltype(Module32Next)>("Module32Next");
};

void SetVersionFacts(TTarvexProcessInfo& process) {
  const FileVersionFacts facts = ReadFileVersionFacts(process.FileName);
  process.Version = facts.version;
  process.Description = facts.description;
}

// Opens the process for its path, priority class and working set; a process
// whose path stays unknown is left out.
void AddOpenedProcess(const SystemCalls& calls, uint32_t processID, const std::string& fallbackPath,
                      TTarvexProcessesList& list) {
  auto process = std::make_unique<TTarvexProcessInfo>();
  process->ProcessID = processID;
  const win::KernelHandle opened(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processID));
  if (opened) {
    char path[MAX_PATH + 1] = {};
    if (calls.moduleFileNameEx && calls.moduleFileNameEx(opened.get(), nullptr, path, MAX_PATH) > 0)
      process->FileName = TrimText(path);
    process->PriorityClass = GetPriorityClass(opened.get());
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof counters;
    if (calls.processMemoryInfo && calls.processMemoryInfo(opened.get(), &counters, sizeof counters))
      process->Memory = static_cast<uint32_t>(counters.WorkingSetSize);
  }
  if (process->FileName.empty()) process->FileName = fallbackPath;
  if (process->FileName.empty()) return;
  SetVersionFacts(*process);
  list.Add(std::move(process));
}

void AddByProcessIds(const SystemCalls& calls, TTarvexProcessesList& list) {
  if (!calls.enumProcesses) return;
  DWORD ids[kMaxProcessIds];
  DWORD bytes = 0;
  if (!calls.enumProcesses(ids, sizeof ids, &bytes)) return;
  for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) AddOpenedProcess(calls, ids[i], {}, list);
}

// The full path of the process's module named `exeName`, or `exeName`.
std::string ExecutablePath(const SystemCalls& calls, uint32_t processID, const char* exeName) {
  if (calls.moduleFirst && calls.moduleNext) {
    const win::KernelHandle modules(calls.snapshot(TH32CS_SNAPMODULE, processID));
    MODULEENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = modules && calls.moduleFirst(modules.get(), &entry); more;
         more = calls.moduleNext(modules.get(), &entry))
      if (lstrcmpiA(entry.szModule, exeName) == 0) return entry.szExePath;
  }
  return exeName;
}

void AddBySnapshot(const SystemCalls& calls, bool detailsFromProcess, TTarvexProcessesList& list) {
  if (!calls.snapshot || !calls.processFirst || !calls.processNext) return;
  const win::KernelHandle processes(calls.snapshot(TH32CS_SNAPPROCESS, 0));
  if (!processes) return;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = calls.processFirst(processes.get(), &entry); more; more = calls.processNext(processes.get(), &entry)) {
    if (detailsFromProcess) {
      AddOpenedProcess(calls, entry.th32ProcessID, entry.szExeFile, list);
      continue;
    }
    auto process = std::make_unique<TTarvexProcessInfo>();
    process->ProcessID = entry.th32ProcessID;
    const bool hasExtension = std::strchr(entry.szExeFile, '.') != nullptr;
    process->FileName = hasExtension ? ExecutablePath(calls, entry.th32ProcessID, entry.szExeFile) : entry.szExeFile;
    if (hasExtension) SetVersionFacts(*process);
    process->PriorityClass = BasePriorityToClass(entry.pcPriClassBase);
    process->Threads = entry.cntThreads;
    list.Add(std::move(process));
  }
}

void CountThreads(const SystemCalls& calls, TTarvexProcessesList& list) {
  if (!calls.snapshot || !calls.threadFirst || !calls.threadNext) return;
  const win::KernelHandle threads(calls.snapshot(TH32CS_SNAPTHREAD, 0));
  if (!threads) return;
  ThreadCounter counter(list);
  THREADENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = calls.threadFirst(threads.get(), &entry); more; more = calls.threadNext(threads.get(), &entry))
    counter.CountThreadOf(entry.th32OwnerProcessID);
}

ProcessEnumeration BySystemVersion() {
  OSVERSIONINFOA version;
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return ProcessEnumeration::SnapshotOnly;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 4)
    return ProcessEnumeration::ProcessIds;
  return version.dwMajorVersion >= 6 ? ProcessEnumeration::SnapshotOnly : ProcessEnumeration::SnapshotWithDetails;
}

}  // namespace

TTarvexProcessesList& ProcessesList() {
  static TTarvexProcessesList list;
  return list;
}

void RefreshProcessesList(ProcessEnumeration how) {
  TTarvexProcessesList& list = ProcessesList();
  list.Clear();
  const SystemCalls calls;
  if (how == ProcessEnumeration::Automatic) how = BySystemVersion();
  if (how == ProcessEnumeration::ProcessIds)
    AddByProcessIds(calls, list);
  else
    AddBySnapshot(calls, how == ProcessEnumeration::SnapshotWithDetails, list);
  list.SortByProcessID();
  if (how != ProcessEnumeration::SnapshotOnly && list.Count() > 0) CountThreads(calls, list);
}

}  // namespace tarvex
