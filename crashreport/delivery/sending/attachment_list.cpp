#include "crashreport/delivery/sending/attachment_list.h"

#include "crashreport/base/util/macros.h"
#include "crashreport/base/util/text_case.h"

namespace tarvex {

std::vector<std::string> BuildAttachmentList(const TAttachmentSources& sources, const MacroValues& macros) {
  std::vector<std::string> files;
  size_t start = 0;
  while (start <= sources.ExtraAttachments.size()) {
    size_t end = sources.ExtraAttachments.find(';', start);
    if (end == std::string::npos) end = sources.ExtraAttachments.size();
    const std::string entry(TrimText(std::string_view(sources.ExtraAttachments).substr(start, end - start)));
    if (!entry.empty()) files.push_back(entry);
    start = end + 1;
  }
  if (!sources.ReportInMessage) files.push_back(sources.ReportFile);
  for (const std::string* file : {&sources.Screenshot, &sources.LastHTMLPage, &sources.XmlReport})
    if (!file->empty()) files.push_back(*file);
  for (std::string& file : files) file = ExpandMacros(file, macros);
  return files;
}

}  // namespace tarvex
