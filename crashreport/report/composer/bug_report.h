// The bug report: composed once per handled exception from the facts the
// pipeline gathers, then extended by up to two added sections and the user's e-mail.
//
// Layout (8-bit text, CR LF line ends): the header line, the general
// sections 1 to 7, added sections numbered 8, the call stack table, the
// modules and processes tables, the assembler listing and the CPU block.
// Every caption and label is a message text of the options.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "crashreport/report/composer/report_facts.h"

namespace tarvex {

inline constexpr const char* kReportHeaderLine = "TarvexLog 6.1.01 RC 1";

// What the dialogs and the pipeline read of a report beside its text.
struct ReportSummary {
  std::string assemblerTitle, assemblerListing, cpuBlock;
  std::string dialogHeading;  // message text 4 + CR LF CR LF
  std::string exceptionID;    // four hexadecimal digits
  std::string exceptionMessage, exceptionType;
  std::string mainModuleText, exceptionModuleText;  // items 1.2 and 2.3 as printed
};

// One report: the parts composed from the facts, and the items the pipeline
// adds afterwards (the custom data, the user's e-mail, the reproduce steps).
// Its text is made again from the parts whenever an item changes, so every
// reader (dialogs, log, standard output, clipboard, delivery) sees the same one.
class BugReport : public ReportSummary {
 public:
  BugReport() = default;
  // A report of composed parts: `head` runs to where the custom data and the
  // reproduce steps go (the header line, the general sections, their blank
  // line), `tail` holds the rest.
  BugReport(std::string head, std::string tail, ReportSummary summary = {});

  const std::string& Text() const { return text_; }
  // The header line with the general sections and the added sections, as the
  // detailed dialog's general page shows them.
  std::string_view GeneralPart() const;

  // Each item replaces the one given before. Out of memory, the report stays as it was.
  // A section numbered 8 of one "name: value" line per pair (trimmed); none for no pairs.
  void SetCustomData(const std::string& caption,
                     const std::vector<std::pair<std::string, std::string>>& pairs) noexcept;
  // The value of item 3.3, written over what the general sections print there.
  void SetUserEmail(const std::string& address) noexcept;
  // A section numbered 8 of one unlabelled line, after the custom data; none for an empty text.
  void SetReproduceSteps(const std::string& caption, const std::string& steps) noexcept;

 private:
  // The one place the text comes from: head (with the e-mail), added sections, tail.
  std::string ComposeText() const;
  void Change(std::string BugReport::*item, std::string value) noexcept;

  std::string head_, tail_;
  std::string customData_, reproduceSteps_;  // as printed; empty when not given
  std::string userEmail_;                 // empty: item 3.3 as composed
  std::string text_;
};

// Composes the whole report. Never raises: a fact that is missing prints
// empty, unreadable memory empties the listing or the dump; should composing
// itself fail (out of memory), the report is empty.
// `facts.options` must be set.
BugReport ComposeBugReport(const ReportFacts& facts) noexcept;

// The environment variables the report publishes for customisable texts,
// as name and value; the main and exception module entries only when known.
std::vector<std::pair<std::string, std::string>> ReportVariables(const ReportFacts& facts, const BugReport& report);

// The report as HTML for a web client: escaped, blanks kept, line breaks as "<br>".
std::string ReportToHtml(const std::string& text);
// An error page with the "Ok" button that goes back, added once (compared without regard to case).
std::string WithBackButton(const std::string& page);

}  // namespace tarvex
