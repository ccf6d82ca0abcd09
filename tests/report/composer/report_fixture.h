// A fixed crash for the report composer: options, system facts, a stack of
// several threads, modules, processes and a small code image with a stack,
// all made by hand so the composed report is the same on every machine.
#pragma once

#include <memory>

#include "crashreport/callstack/modules/module_info.h"
#include "crashreport/callstack/modules/process_info.h"
#include "crashreport/callstack/pe/memory_space.h"
#include "crashreport/callstack/stack/stack_list.h"
#include "crashreport/base/options/options.h"
#include "crashreport/report/composer/report_facts.h"

namespace tarvex::testing {

// Code at 0x00401000: a procedure that faults at kFaultAddress, a string at
// 0x00402000, a stack at kStackPointer.
inline constexpr uint32_t kCodeBase = 0x00401000;
inline constexpr uint32_t kFaultAddress = 0x0040100A;
inline constexpr uint32_t kStackPointer = 0x0012FF00;

class ReportFixture {
 public:
  // `stackEntries`, `moduleCount` and `processCount` scale the lists (the
  // defaults make a small readable report).
  explicit ReportFixture(int stackEntries = 6, int moduleCount = 4, int processCount = 4);

  TTarvexModuleOptions options;
  TTarvexStackList stack;
  TTarvexModulesList modules;
  TTarvexProcessesList processes;
  BufferMemorySpace memory;
  ReportFacts facts;
};

// Names addresses of the fixture's code: unit "Unit1.pas", class "TForm1",
// procedure "Button1Click", one line per 4 bytes from line 40.
void LocateFixtureAddress(uint32_t address, TTarvexStackItem& item);

}  // namespace tarvex::testing
