// The user's settings file "TarvexLog.ini" (profile format) in the folder
// TarvexLog under the user's application data folder: the e-mail address the
// user gave and the detailed dialog's geometry.
#pragma once

#include <string>

namespace tarvex {

class TSettingsFile {
 public:
  // The user's file; its folder is created when missing.
  TSettingsFile();
  explicit TSettingsFile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  // Values are read with a 2048-byte buffer; `fallback` when the key is missing.
  std::string ReadString(const char* section, const char* key, const std::string& fallback = {}) const;
  int ReadInteger(const char* section, const char* key, int fallback) const;
  // False when the file cannot be written.
  bool WriteString(const char* section, const char* key, const std::string& value) const;
  bool WriteInteger(const char* section, const char* key, int value) const;

 private:
  std::string path_;
};

}  // namespace tarvex
