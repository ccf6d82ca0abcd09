// Parts of Windows file names: folder, name, extension. "\", "/" and the
// drive's ":" separate folders.
#pragma once

#include <string>
#include <vector>

namespace tarvex {

// The folder with its closing separator ("C:\logs\" of "C:\logs\App.elf"); empty without one.
std::string ExtractFilePath(const std::string& fileName);
// The name after the last separator.
std::string ExtractFileName(const std::string& fileName);
// The extension with its "." (from the last "." after the last separator); empty without one.
std::string ExtractFileExt(const std::string& fileName);
// `fileName` with its extension replaced by `extension`, which includes its ".".
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
// `folder` ending in a separator: "\" is added when missing; an empty folder stays empty.
std::string WithTrailingSeparator(const std::string& folder);
// `text` put between the name and the extension: ("C:\App.elf", "_PC") gives "C:\App_PC.elf".
std::string InsertBeforeExtension(const std::string& fileName, const std::string& text);
// The folders from the top down that make up `folder`, each with its parents
// and without a closing separator; the root (drive, "\\server\share" or a
// leading "\") is not one of them. "C:\a\b\" gives "C:\a", "C:\a\b".
std::vector<std::string> FolderChain(const std::string& folder);

}  // namespace tarvex
