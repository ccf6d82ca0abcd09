// The parts of a stored report, found by its layout. Every position is
// searched from the report's first table (the call stack table: its top dash
// line followed by a row); captions are lines ending in ":" followed by a dash
// line. Each reader returns the part's text, empty when the report has none.
//
//   TarvexLog 6.1.01 RC 1              header line (the version after "TarvexLog ")
//   Application: ... Network: ...      general part (numbered sections)
//   Call Stack Information:            call stack table
//   Modules Information:               modules table (caption 1 after the call stack)
//   Processes Information:             processes table (caption 2; from version 6.0)
//   Assembler Information:             assembler listing (caption 3; from version 6.0)
//   Registers: ... Memory Dump:        CPU block
#pragma once

#include <string>
#include <string_view>

namespace tarvex {

// Report versions compare as text, character by character ("6.1.01 RC 1" is
// not below "6.0"; "10.0" is).
bool IsVersionBelow(std::string_view version, std::string_view other);

// The first line from its 11th character on: the text after "TarvexLog ".
std::string ReportVersion(std::string_view report);
// Everything before the call stack table's caption line, without trailing blank lines.
std::string GeneralPart(std::string_view report);
// From the call stack table's top dash line to its bottom dash line.
std::string CallStackTable(std::string_view report);
// From the first caption's dash line to the table's bottom dash line; empty
// when no row follows the dash line.
std::string ModulesTable(std::string_view report);
// The same for the second caption; empty for reports below version 6.0.
std::string ProcessesTable(std::string_view report);
// The lines after the third caption's dash line up to the next blank line;
// empty below version 6.0 and when the third caption is the CPU block's (a
// report whose listing could not be read has no assembler caption).
std::string AssemblerListing(std::string_view report);
// From the caption two lines above the "EAX" register line to the second
// blank line after it; empty without register lines.
std::string CpuBlock(std::string_view report);
// Reports below version 5.0: after the third table, the lines after the third
// caption's dash line up to the next blank line.
std::string OldReproduceText(std::string_view report);

}  // namespace tarvex
