#include "crashreport/base/util/file_names.h"

namespace tarvex {
namespace {

constexpr const char* kSeparators = "\\/:";

bool IsFolderSeparator(char c) { return c == '\\' || c == '/'; }

size_t NameStart(const std::string& fileName) {
  const size_t separator = fileName.find_last_of(kSeparators);
  return separator == std::string::npos ? 0 : separator + 1;
}

size_t ExtensionStart(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  return dot == std::string::npos || dot < NameStart(fileName) ? fileName.size() : dot;
}

}  // namespace

std::string ExtractFilePath(const std::string& fileName) { return fileName.substr(0, NameStart(fileName)); }

std::string ExtractFileName(const std::string& fileName) { return fileName.substr(NameStart(fileName)); }

std::string ExtractFileExt(const std::string& fileName) { return fileName.substr(ExtensionStart(fileName)); }

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
  return fileName.substr(0, ExtensionStart(fileName)) + extension;
}

std::string WithTrailingSeparator(const std::string& folder) {
  if (folder.empty() || IsFolderSeparator(folder.back())) return folder;
  return folder + '\\';
}

std::string InsertBeforeExtension(const std::string& fileName, const std::string& text) {
  return ChangeFileExt(fileName, text + ExtractFileExt(fileName));
}

std::vector<std::string> FolderChain(const std::string& folder) {
  size_t root = 0;
  if (folder.size() >= 2 && IsFolderSeparator(folder[0]) && IsFolderSeparator(folder[1])) {
    // "\\server\share": both names belong to the root
    root = folder.find_first_of("\\/", 2);
    root = root == std::string::npos ? folder.size() : folder.find_first_of("\\/", root + 1);
    if (root == std::string::npos) root = folder.size();
  } else if (folder.size() >= 2 && folder[1] == ':') {
    root = 2;
  }
  std::vector<std::string> chain;
  for (size_t end = root; end < folder.size();) {
    const size_t start = end + (IsFolderSeparator(folder[end]) ? 1 : 0);
    end = folder.find_first_of("\\/", start);
    if (end == std::string::npos) end = folder.size();
    if (end > start) chain.push_back(folder.substr(0, end));
  }
  return chain;
}

}  // namespace tarvex
