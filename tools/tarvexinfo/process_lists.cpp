#include "process_lists.h"

#include <cstdio>

#include "crashreport/callstack/modules/modules_win.h"
#include "crashreport/callstack/modules/processes_win.h"
#include "crashreport/callstack/modules/module_texts.h"

namespace tarvex::info {

void PrintModulesList() {
  RefreshModulesList();
  std::printf("\nModules:\n");
  const TTarvexModulesList& modules = ModulesList();
  for (int i = 0; i < modules.Count(); ++i) {
    const TTarvexModuleInfo& m = modules[i];
    const std::string name = m.FileName.substr(m.FileName.find_last_of("\\/") + 1);
    std::printf("%8.8X | %s | %s | %s | %s | %.4f | %s\n", m.Handle, name.c_str(), m.Description.c_str(),
                m.Version.c_str(), SizeToKb(m.FileSize).c_str(), m.FileDate, m.FileName.c_str());
  }
}

void PrintProcessesList() {
  RefreshProcessesList();
  std::printf("\nProcesses:\n");
  const TTarvexProcessesList& processes = ProcessesList();
  for (int i = 0; i < processes.Count(); ++i) {
    const TTarvexProcessInfo& p = processes[i];
    const std::string name = p.FileName.substr(p.FileName.find_last_of("\\/") + 1);
    std::printf("%u | %s | %s | %s | %u | %s\n", p.ProcessID, name.c_str(), p.Version.c_str(),
                PriorityClassName(p.PriorityClass).c_str(), p.Threads, p.FileName.c_str());
  }
}

}  // namespace tarvex::info
