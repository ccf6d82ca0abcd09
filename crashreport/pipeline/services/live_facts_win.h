// Facts of the running process for the bug report, each read on its own so
// that one failing question leaves only its own fact empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "crashreport/report/composer/report_facts.h"

namespace tarvex {

struct TTarvexModuleInfo;

// Now and the process's start, as local time in days since 1899-12-30.
double LocalDateTimeNow();
double ProcessStartTime();
// Local time minus UTC in whole hours (rounded), daylight saving included.
int LocalZoneHours();

// File name, description and version of a module record.
ReportModule ReportModuleOf(const TTarvexModuleInfo& module);

// The compile date a module's embedded data carries; 0 when it carries none.
double CompileTimeOf(const TTarvexModuleInfo& module);

// The registers of a CPU context record (CONTEXT, 204 bytes); empty for none.
std::optional<CpuRegisters> RegistersOf(const void* context);

// Class name and text of the foreground window; empty when there is none.
void ReadForegroundWindow(std::string& className, std::string& text);

// Whether the program runs in the console subsystem (no active controls to report).
bool IsConsoleProgram();

}  // namespace tarvex
