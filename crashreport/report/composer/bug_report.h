// The bug report: composed once per handled exception from the facts the
// pipeline gathers, then extended by up to two spliced sections.
//
// Layout (8-bit text, CR LF line ends): the header line, the general
// sections 1 to 7, spliced sections numbered 8, the call stack table, the
// modules and processes tables, the assembler listing and the CPU block.
// Every caption and label is a message text of the options.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "crashreport/report/composer/report_facts.h"

namespace tarvex {

inline constexpr const char* kReportHeaderLine = "TarvexLog 6.1.01 RC 1";

struct BugReport {
  std::string text;           // the whole report
  std::string textToSend;     // equal to `text` after composing and after each splice
  std::string pipelineCopy;   // the pipeline's copy; receives the splices too
  size_t generalPartLength = 0;  // header and general sections (and spliced ones): where splices go
  std::string assemblerTitle, assemblerListing, cpuBlock;
  std::string dialogHeading;  // message text 4 + CR LF CR LF
  std::string exceptionID;    // four hexadecimal digits
  std::string exceptionMessage, exceptionType;
  std::string mainModuleText, exceptionModuleText;  // items 1.2 and 2.3 as printed
};

// Composes the whole report. Never raises: a fact that is missing prints
// empty, unreadable memory empties the listing or the dump; should composing
// itself fail (out of memory), the report holds what was built so far.
// `facts.options` must be set.
BugReport ComposeBugReport(const ReportFacts& facts) noexcept;

// Splices a section numbered 8 after the general part (and any section
// spliced before): one "name: value" line per pair, or one unlabelled line
// holding `text`. Nothing happens for no pairs or an empty text.
void AppendReportSection(BugReport& report, const std::string& caption,
                         const std::vector<std::pair<std::string, std::string>>& pairs) noexcept;
void AppendReportText(BugReport& report, const std::string& caption, const std::string& text) noexcept;

// The environment variables the report publishes for customisable texts,
// as name and value; the main and exception module entries only when known.
std::vector<std::pair<std::string, std::string>> ReportVariables(const ReportFacts& facts, const BugReport& report);

// The report as HTML for a web client: escaped, blanks kept, line breaks as "<br>".
std::string ReportToHtml(const std::string& text);
// An error page with the "Ok" button that goes back, added once (compared without regard to case).
std::string WithBackButton(const std::string& page);

}  // namespace tarvex
