// Whole-file operations of the crash reporter's own files: the temporary
// folder, writing a file in one go, removing one that may be read-only, and
// the clipboard's text.
#pragma once

#include <string>

namespace tarvex {

// The user's temporary folder with its trailing backslash; empty when the system names none.
std::string TemporaryFolder();
// Creates or replaces `fileName` with `bytes`; false when it could not be written in full.
bool WriteWholeFile(const std::string& fileName, const std::string& bytes);
// Deletes the file, clearing its read-only attribute first; false when it is still there.
bool DeleteFileForced(const std::string& fileName);
// Puts `text` on the clipboard as CF_TEXT; false when the clipboard could not be had.
bool CopyTextToClipboard(const std::string& text);

}  // namespace tarvex
