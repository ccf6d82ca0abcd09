// Which files a delivery attaches, before the host's event may change them.
#pragma once

#include <string>
#include <vector>

namespace tarvex {

class MacroValues;

struct TAttachmentSources {
  std::string ExtraAttachments;  // the options' own files, separated by ";"
  std::string ReportFile;        // the temporary copy of the text to send
  bool ReportInMessage = false;  // the text travels in the mail's body instead
  std::string Screenshot;        // empty: no screenshot to attach
  std::string LastHTMLPage;      // empty: none was written
  std::string XmlReport;         // empty: no XML copy wanted
};

// The extra attachments (trimmed, empty entries dropped), the report file,
// the screenshot, the last HTML page and the XML copy, every entry with its
// macros expanded.
std::vector<std::string> BuildAttachmentList(const TAttachmentSources& sources, const MacroValues& macros);

}  // namespace tarvex
