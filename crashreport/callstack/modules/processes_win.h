// The machine's processes.
#pragma once

#include "crashreport/callstack/modules/process_info.h"

namespace tarvex {

TTarvexProcessesList& ProcessesList();

enum class ProcessEnumeration {
  Automatic,             // by the system version
  ProcessIds,            // NT 4: EnumProcesses, each process opened for its path and figures
  SnapshotWithDetails,   // before Vista: a process snapshot, each process opened as for ProcessIds
  SnapshotOnly,          // Vista and later: the snapshot's own figures
};
// Rebuilds ProcessesList(), sorted by ProcessID. A missing system call
// leaves out the step that needs it.
void RefreshProcessesList(ProcessEnumeration how = ProcessEnumeration::Automatic);

}  // namespace tarvex
