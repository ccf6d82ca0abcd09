// The log file's text: the stored reports one after another.
//
// A report is the bug report text, CR LF line ends, starting with its header
// line "TarvexLog <version>". On disk each report is followed by the report
// separator (three CR LF) and one more CR LF, so four line breaks part a report
// from the next (more when the report ends with line breaks of its own). When
// the last report ends with a line break, the file's final CR LF is left out.
//
//   TarvexLog 6.1.01 RC 1<CRLF> ... <CRLF>        report 1 (ends with a line break)
//   <CRLF><CRLF><CRLF><CRLF>                       separator + one CR LF
//   TarvexLog 6.1.01 RC 1<CRLF> ... <CRLF>        report 2, the last
//   <CRLF><CRLF><CRLF>                             separator; final CR LF left out
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

inline constexpr std::string_view kLineBreak = "\r\n";
inline constexpr std::string_view kReportSeparator = "\r\n\r\n\r\n";
// The start of a report's first line; the version follows it.
inline constexpr std::string_view kReportHeader = "TarvexLog ";
// A table's top: a dash line followed by a row.
inline constexpr std::string_view kTableStart = "-\r\n|";

// The lines of CR LF text; a final line break ends the last line without
// starting another, so empty text has no lines.
std::vector<std::string_view> SplitLines(std::string_view text);

// Every lone CR and every lone LF becomes CR LF.
std::string NormalizeLineBreaks(std::string_view text);

// A report as the log keeps it: line ends normalised, ending with a line break.
std::string AsStoredReport(std::string_view text);

// The reports of a log file's bytes, oldest first. The text is cut at every
// run of four or more line breaks; a piece that begins with the header line
// starts a report. A run inside a report (an empty assembler listing leaves
// one before the CPU block) is told from a separator by what follows it: a
// piece that begins with a section caption and adds no second table continues
// the report before it. A report is kept only when it holds a table; other
// pieces (damaged or foreign text) are dropped, also those that hold a table
// but no header line: after line ends are made CR LF, random bytes hold a
// dash, a line break and a bar about once in every 5 MB. Each report ends
// with its own line breaks, at least one.
std::vector<std::string> ReadLogText(std::string_view bytes);

// The bytes of a log file holding `reports` (see the layout above).
std::string WriteLogText(const std::vector<std::string>& reports);

// Whether bytes in which ReadLogText found no report may still be replaced by
// a log: empty, only blanks and line breaks, or beginning with a header line
// (a log cut short while its first report was written). Anything else is some
// other file, which the log never overwrites.
bool IsReplaceableLogText(std::string_view bytes);

}  // namespace tarvex
