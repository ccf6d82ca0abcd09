// The call stack, modules and processes tables of the bug report.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "crashreport/report/composer/report_facts.h"

namespace tarvex {

class TTarvexModuleOptions;

// The cells of one call stack entry: Address, Module, Unit, Class,
// Procedure/Method, Line ("line[lines into the procedure]", empty for 0).
std::vector<std::string> CallStackCells(const TTarvexStackItem& item);

// Where a new thread block starts: a new thread or stack kind, or the exception entry.
bool OpensStackBlock(const TTarvexStackItem* previous, const TTarvexStackItem& item);

// The line that opens a thread block. The report marks the exception
// thread with "*" and always names the class; the detailed dialog's list
// does neither.
enum class ThreadLineStyle { Report, Dialog };
std::string ThreadLine(const TTarvexModuleOptions& options, const TTarvexStackItem& item,
                       const std::function<ThreadDetails(uint32_t)>& threadDetails, ThreadLineStyle style);

// Appends the call stack table: the shown entries (by the call-stack option
// bits), each thread's entries under a block with its thread line; the
// exception entry always opens a block.
void AppendCallStackTable(std::string& out, const TTarvexModuleOptions& options, const TTarvexStackList* stack,
                          const std::function<ThreadDetails(uint32_t)>& threadDetails);
void AppendModulesTable(std::string& out, const TTarvexModuleOptions& options, const TTarvexModulesList* modules);
void AppendProcessesTable(std::string& out, const TTarvexModuleOptions& options,
                          const TTarvexProcessesList* processes);

// The folder of a module or process file as the tables show it: no leading
// "\??\", no trailing backslash unless it follows a drive colon.
std::string FolderForTable(const std::string& fileName);

}  // namespace tarvex
