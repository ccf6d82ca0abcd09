#include "crashreport/callstack/modules/modules_win.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "crashreport/callstack/debuginfo/data_key_win.h"
#include "crashreport/callstack/modules/dynamic_library_win.h"
#include "crashreport/callstack/modules/exported_functions_win.h"
#include "crashreport/callstack/modules/file_facts_win.h"
#include "crashreport/callstack/modules/module_debug_data.h"
#include "crashreport/callstack/modules/module_kind.h"
#include "crashreport/callstack/modules/module_options.h"
#include "crashreport/base/embedded_data/module_container_win.h"
#include "crashreport/base/util/loaded_modules_win.h"
#include "crashreport/callstack/pe/process_memory_win.h"

namespace tarvex {

namespace {

struct ModulesState {
  TTarvexModulesList list;
  bool refreshing = false;
};

ModulesState& State() {
  static ModulesState state;
  return state;
}

// Libraries of the framework's package format carry these two resources.
bool HasPackageResources(const std::string& fileName) {
  const HMODULE data = LoadLibraryExA(fileName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!data) return false;
  const bool found = FindResourceA(data, "PACKAGEINFO", MAKEINTRESOURCEA(10)) &&
                     FindResourceA(data, "PACKAGEOPTIONS", MAKEINTRESOURCEA(10));
  FreeLibrary(data);
  return found;
}

bool IsNtFamily() { return GetVersion() < 0x80000000u; }

std::vector<uint32_t> ModulesByProcessStatus() {
  std::vector<uint32_t> handles;
  DynamicLibrary psapi("PSAPI.DLL");
  using EnumModules = BOOL WINAPI(HANDLE, HMODULE*, DWORD, DWORD*);
  auto* enumModules = psapi.Get<EnumModules>("EnumProcessModules");
  if (!enumModules) return handles;
  const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
  if (!process) return handles;
  std::vector<HMODULE> modules(256);
  DWORD needed = 0;
  while (enumModules(process, modules.data(), DWORD(modules.size() * sizeof(HMODULE)), &needed) &&
         needed > modules.size() * sizeof(HMODULE))
    modules.resize(needed / sizeof(HMODULE) + 16);
  CloseHandle(process);
  const size_t count = std::min<size_t>(needed / sizeof(HMODULE), modules.size());
  for (size_t i = 0; i < count; ++i) handles.push_back(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(modules[i])));
  return handles;
}

std::vector<uint32_t> ModulesByToolHelp() {
  std::vector<uint32_t> handles;
  DynamicLibrary kernel("Kernel32.dll", true);
  auto* snapshot = kernel.Get<decltype(CreateToolhelp32Snapshot)>("CreateToolhelp32Snapshot");
  auto* first = kernel.Get<decltype(Module32First)>("Module32First");
  auto* next = kernel.Get<decltype(Module32Next)>("Module32Next");
  if (!snapshot || !first || !next) return handles;
  const HANDLE modules = snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
  if (modules == INVALID_HANDLE_VALUE) return handles;
  MODULEENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = first(modules, &entry); more; more = next(modules, &entry))
    handles.push_back(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(entry.hModule)));
  CloseHandle(modules);
  return handles;
}

class RefreshScope {
 public:
  RefreshScope() { State().refreshing = true; }
  ~RefreshScope() { State().refreshing = false; }
};

}  // namespace

TTarvexModulesList& ModulesList() { return State().list; }

TTarvexModuleInfo* AddModuleInfo(uint32_t handle, const std::string& fileName, bool loadDebugInfo) {
  auto module = std::make_unique<TTarvexModuleInfo>();
  module->Handle = handle;
  module->FileName = fileName;
  const FileFacts file = ReadFileFacts(fileName);
  const FileVersionFacts version = ReadFileVersionFacts(fileName);
  module->FileDate = file.date;
  module->Version = version.version;
  module->Description = version.description;
  module->FileSize = file.size;
  if (loadDebugInfo && !State().refreshing) {
    ReadLoadedModuleExports(handle, module->Functions);
    module->ModuleKind = ImageModuleKind(ThisProcessMemory(), handle, HasPackageResources(fileName));
  }
  const std::optional<EmbeddedData> data =
      loadDebugInfo ? ReadModuleContainer(handle, fileName) : std::optional<EmbeddedData>();
  SetEmbeddedDebugData(*module, data ? &*data : nullptr, loadDebugInfo ? ModuleDataKey(handle) : std::string());
  if (loadDebugInfo && !State().refreshing) {
    // A module has either embedded line information or an external source, never both.
    if (module->LineInfo.empty())
      module->DebugSource = LoadDebugSource(TVXModuleImage{&ThisProcessMemory(), handle, fileName});
    LoadModuleOptions(*module, data);
  }
  return State().list.Add(std::move(module));
}

TTarvexModuleInfo* FindModuleInfo(uint32_t address) {
  const uint32_t handle = ModuleHandleOf(address);
  if (handle == 0) return nullptr;
  TTarvexModulesList& list = State().list;
  const int index = list.IndexOfHandle(handle);
  if (index >= 0) {
    if (list[index].ModuleKind != mkUnknown || State().refreshing) return &list[index];
    list.Delete(index);  // listed by a refresh without debug information: build it fully
  }
  return AddModuleInfo(handle, ModuleFileName(handle), true);
}

void RefreshModulesList(ModuleEnumeration how) {
  TTarvexModulesList& list = State().list;
  for (int i = list.Count() - 1; i >= 0; --i)
    if (ModuleHandleOf(list[i].Handle) != list[i].Handle) list.Delete(i);
  RefreshScope refreshing;
  if (how == ModuleEnumeration::Automatic)
    how = IsNtFamily() ? ModuleEnumeration::ProcessStatus : ModuleEnumeration::ToolHelp;
  const std::vector<uint32_t> handles =
      how == ModuleEnumeration::ProcessStatus ? ModulesByProcessStatus() : ModulesByToolHelp();
  for (uint32_t handle : handles) {
    if (list.IndexOfHandle(handle) >= 0) continue;
    // A module unloaded since the enumeration (the enumeration's own library,
    // for one) has no file name any more: it gets no record.
    const std::string fileName = ModuleFileName(handle);
    if (!fileName.empty()) AddModuleInfo(handle, fileName, false);
  }
  list.SortByHandle();
}

}  // namespace tarvex
