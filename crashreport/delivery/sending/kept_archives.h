// The archives a failed delivery keeps beside the log file: "BugReport.zip",
// or with the computer name and the exception time tagged in
// ("BugReport__<computer>__<yyyymmddhhnnss>.zip"). Only the newest few are
// kept; the user's own zip files in that folder are never touched.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

inline constexpr const char* kArchiveName = "BugReport.zip";
inline constexpr size_t kKeptArchives = 10;

// Whether `fileName` is one of the kept archives' names (any case).
bool IsKeptArchiveName(std::string_view fileName);

// Of the names in the folder, the kept archives to delete: when there are
// more than `keep` of them, the first ones in name order (for tagged names
// the oldest), so that `keep` remain.
std::vector<std::string> ArchivesToPrune(const std::vector<std::string>& fileNames, size_t keep = kKeptArchives);

}  // namespace tarvex
