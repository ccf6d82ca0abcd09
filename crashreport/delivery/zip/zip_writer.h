// Writes a zip archive of whole files (deflate, level 9), every entry
// encrypted with the archive's password (traditional PKWARE encryption) when
// it has one.
//
//   {
//     TZipWriter zip(temp + "BugReport.zip", options.ArchivePassword());
//     zip.AddFile(logCopy, "Report.log");
//     zip.AddFile(screenshot, "Screenshot.png");
//   }  // the destructor writes the central directory
#pragma once

#include <string>

#include "crashreport/delivery/zip/source_files.h"

namespace tarvex {

class TZipWriter {
 public:
  // Deletes any file at `archivePath` and creates a new archive there. When
  // that fails the writer has no archive: AddFile fails, the destructor does
  // nothing. An empty password means no encryption.
  TZipWriter(const std::string& archivePath, const std::string& password,
             const SourceFiles& files = LocalSourceFiles());
  // Closes the last entry and writes the central directory and end record.
  ~TZipWriter();
  TZipWriter(const TZipWriter&) = delete;
  TZipWriter& operator=(const TZipWriter&) = delete;

  bool IsOpen() const { return Archive_ != nullptr; }

  // Adds the whole file under `entryName`, dated by its last write. False
  // when it cannot be read in full (nothing is added then) or the archive
  // refuses the entry. The entry stays open until the next AddFile or the
  // destructor.
  bool AddFile(const std::string& filePath, const std::string& entryName);

 private:
  void* Archive_ = nullptr;  // minizip's zipFile
  std::string EntryPassword_;
  const SourceFiles& files_;
};

}  // namespace tarvex
