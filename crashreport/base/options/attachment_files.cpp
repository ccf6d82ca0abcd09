#include "crashreport/base/options/attachment_files.h"

#include "crashreport/base/util/file_names.h"
#include "crashreport/base/options/log_file_name.h"
#include "crashreport/base/options/option_types.h"
#include "rtl/format.h"

namespace tarvex {

std::string DumpFileName(uint32_t processId, uint32_t moduleHandle) {
  return rtl::Format("%08X%08X.bin", static_cast<unsigned>(processId), static_cast<unsigned>(moduleHandle));
}

std::vector<std::string> TemporaryAttachmentFiles(const std::string& temporaryFolder, uint16_t sendFlags,
                                                  const std::string& logFileName, uint32_t processId,
                                                  uint32_t moduleHandle) {
  const std::string folder = WithTrailingSeparator(temporaryFolder);
  const std::string logName = ExtractFileName(logFileName);
  std::vector<std::string> files;
  if (sendFlags & sfIncludeScreenshot) files.push_back(folder + "Screenshot.png");
  if (sendFlags & sfIncludeLastHTMLPage) files.push_back(folder + "LastHTMLPage.html");
  files.push_back(folder + "BugReport.zip");
  files.push_back(folder + logName);
  if (sendFlags & sfIncludeXMLReport) files.push_back(folder + ChangeFileExt(logName, ".xml"));
  files.push_back(folder + DumpFileName(processId, moduleHandle));
  return files;
}

std::string AttachmentDisplayName(const std::string& file, uint16_t sendFlags, const std::string& computerName,
                                  const CalendarTime& exceptionTime) {
  std::string name = ExtractFileName(file);
  if (sendFlags & sfTagFilesWithComputer) name = InsertBeforeExtension(name, "__" + FileNameComputerName(computerName));
  if (sendFlags & sfTagFilesWithDate) {
    const CalendarTime& t = exceptionTime;
    name = InsertBeforeExtension(
        name, rtl::Format("__%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second));
  }
  return name;
}

}  // namespace tarvex
