// Everything the bug report is composed from. The pipeline gathers these
// facts from the live process; tests and tools fill them by hand, so the
// composer itself never touches the system.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "crashreport/report/sysinfo/system_facts.h"

namespace tarvex {

class MemorySpace;
class TTarvexModuleOptions;
class TTarvexModulesList;
class TTarvexProcessesList;
class TTarvexStackList;
struct TTarvexStackItem;

// A module as the general sections name it.
struct ReportModule {
  std::string fileName;  // full path
  std::string description;
  std::string version;
};

// The processor registers of the raising thread.
struct CpuRegisters {
  uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0, esi = 0, edi = 0, esp = 0, eip = 0;
};

// What the thread line of a call-stack block says about a thread.
struct ThreadDetails {
  std::string priority = "??";  // decimal, or "??" when the thread is not listed
  std::string className;         // the thread object's class, empty when none
  bool isMainThread = false;
};

struct ReportFacts {
  const TTarvexModuleOptions* options = nullptr;  // the current options: texts and option bits

  // Times as days since 1899-12-30, local time; zone = local minus UTC in whole hours.
  double startTime = 0;
  double exceptionTime = 0;
  int zoneHours = 0;
  double compileTime = 0;  // the main module's compile date, 0 when unknown

  // Application
  ReportModule mainModule;
  std::string commandLine;  // the process command line as the system gives it

  // Exception
  uint32_t exceptionAddress = 0;
  std::optional<ReportModule> exceptionModule;  // empty when no module holds the address
  std::string exceptionType;                     // already resolved ("Unknown exception type" ...)
  std::string exceptionMessage;

  // Active controls
  std::string foregroundClass, foregroundText, focusClass, focusText;
  bool showsActiveControls = true;  // false for web-server and console programs

  SystemFacts system;

  // The lists gathered for this exception; any may be empty (null).
  const TTarvexStackList* stack = nullptr;
  const TTarvexModulesList* modules = nullptr;
  const TTarvexProcessesList* processes = nullptr;
  std::function<ThreadDetails(uint32_t threadID)> threadDetails;  // null: every thread reads "??"

  // Machine-level sections
  const MemorySpace* memory = nullptr;    // null: nothing is readable
  std::optional<CpuRegisters> registers;  // empty: no thread context
  uint32_t stackPointer = 0;              // recorded when the exception was raised
  // Names a code address for the listing; null: the listing has no notes.
  std::function<void(uint32_t address, TTarvexStackItem& item)> locate;
};

}  // namespace tarvex
