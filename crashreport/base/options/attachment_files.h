// The temporary files a report delivery attaches, and the names they are
// shown under.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

struct CalendarTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The binary dump: process id and module handle, 8 upper-case hexadecimal
// digits each, and ".bin".
std::string DumpFileName(uint32_t processId, uint32_t moduleHandle);

// The files in `temporaryFolder`, in this order: "Screenshot.png" (with
// sfIncludeScreenshot), "LastHTMLPage.html" (sfIncludeLastHTMLPage),
// "BugReport.zip", the log's copy under its file name, its XML copy with
// ".xml" (sfIncludeXMLReport), the dump of `processId` and `moduleHandle`.
std::vector<std::string> TemporaryAttachmentFiles(const std::string& temporaryFolder, uint16_t sendFlags,
                                                  const std::string& logFileName, uint32_t processId,
                                                  uint32_t moduleHandle);

// The file name without its folder; with sfTagFilesWithComputer "__" and the
// computer name go before the extension, then with sfTagFilesWithDate "__"
// and the exception time as yyyymmddhhnnss.
std::string AttachmentDisplayName(const std::string& file, uint16_t sendFlags, const std::string& computerName,
                                  const CalendarTime& exceptionTime);

}  // namespace tarvex
