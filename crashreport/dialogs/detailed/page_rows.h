// The rows of the detailed dialog's list pages, built from the lists the
// report was composed from.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "crashreport/report/composer/report_facts.h"
#include "crashreport/dialogs/listview/list_view_rows.h"

namespace tarvex {

class TTarvexModuleOptions;

// The report's shown entries grouped by thread block, without unit-only
// entries of the executable; groups of live stacks after the first follow
// an empty separator row. An entry's row keeps the entry's index as its source.
void FillCallStackRows(TListViewRows& rows, const TTarvexModuleOptions& options, const TTarvexStackList* stack,
                       const std::function<ThreadDetails(uint32_t)>& threadDetails);
// Handle, Name, Description, Version, Size, Modified, Path. Line breaks in
// a description become spaces: a row is one line.
void FillModuleRows(TListViewRows& rows, const TTarvexModulesList* modules);
// ID, Name, Description, Version, Memory, Priority, Threads, Path.
void FillProcessRows(TListViewRows& rows, const TTarvexProcessesList* processes);

// "6.0.2900.5512" -> "6.0.x"; versions with fewer than two dots unchanged.
std::string ShortVersion(const std::string& version);
// Bytes as rounded kilobytes: 1536 -> "2 Kb"; empty for 0.
std::string KilobytesText(uint32_t bytes);

}  // namespace tarvex
