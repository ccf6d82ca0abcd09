#include "crashreport/delivery/zip/zip_writer.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <cstdio>
#include <limits>
#include <new>
#include <vector>

namespace tarvex {

namespace {

// minizip writes names into 16-bit length fields without checking them.
constexpr size_t kMaxEntryName = std::numeric_limits<uint16_t>::max();

zip_fileinfo EntryInfo(const SourceFileStamp& stamp) {
  zip_fileinfo info{};
  info.tmz_date.tm_sec = stamp.LastWrite.Second;
  info.tmz_date.tm_min = stamp.LastWrite.Minute;
  info.tmz_date.tm_hour = stamp.LastWrite.Hour;
  info.tmz_date.tm_mday = stamp.LastWrite.Day;
  info.tmz_date.tm_mon = stamp.LastWrite.Month > 0 ? stamp.LastWrite.Month - 1 : 0;
  info.tmz_date.tm_year = stamp.LastWrite.Year;
  info.dosDate = stamp.DosDateTime;
  info.internal_fa = 0;
  info.external_fa = 0;
  return info;
}

}  // namespace

TZipWriter::TZipWriter(const std::string& archivePath, const std::string& password, const SourceFiles& files)
    : EntryPassword_(password), files_(files) {
  std::remove(archivePath.c_str());
  Archive_ = zipOpen(archivePath.c_str(), APPEND_STATUS_CREATE);
}

TZipWriter::~TZipWriter() {
  if (Archive_ != nullptr) zipClose(Archive_, nullptr);
}

bool TZipWriter::AddFile(const std::string& filePath, const std::string& entryName) {
  if (Archive_ == nullptr || entryName.size() > kMaxEntryName) return false;
  const SourceFileStamp stamp = files_.Stamp(filePath);
  std::vector<uint8_t> contents;
  try {
    contents.resize(stamp.Size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!files_.Read(filePath, contents)) return false;

  const zip_fileinfo info = EntryInfo(stamp);
  const bool encrypted = !EntryPassword_.empty();
  const unsigned long crc = encrypted ? crc32(0, contents.data(), static_cast<uInt>(contents.size())) : 0;
  if (zipOpenNewFileInZip3(Archive_, entryName.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                           Z_BEST_COMPRESSION, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
                           encrypted ? EntryPassword_.c_str() : nullptr, crc) != ZIP_OK)
    return false;
  static const uint8_t kNoBytes = 0;
  const void* bytes = contents.empty() ? &kNoBytes : contents.data();
  return zipWriteInFileInZip(Archive_, bytes, static_cast<unsigned>(contents.size())) == ZIP_OK;
}

}  // namespace tarvex
