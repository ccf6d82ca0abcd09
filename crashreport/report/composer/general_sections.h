// The report's general sections 1 to 7 (Application, Exception, User, Active
// Controls, Computer, Operating System, Network).
#pragma once

#include <string>

#include "crashreport/report/composer/report_facts.h"

namespace tarvex {

// Values that the general sections print and the rest of the report reuses.
struct GeneralValues {
  std::string mainModule;       // item 1.2
  std::string exceptionModule;  // item 2.3
  std::string exceptionMessage; // item 2.6
  std::string exceptionID;      // item 2.7
};

GeneralValues ComputeGeneralValues(const ReportFacts& facts);

// The sections as TLogItem builds them, ending with CR LF.
std::string BuildGeneralSections(const ReportFacts& facts, const GeneralValues& values);

// The parameters part of a command line: without the program's name (quoted,
// the program's own path, or the first word), trimmed.
std::string CommandLineParameters(const std::string& commandLine, const std::string& programPath);

}  // namespace tarvex
