#include "crashreport/delivery/zip/zip_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "tests/support/temp_folder.h"

namespace tarvex {
namespace {

struct DosCase {
  LocalDateTime time;
  uint32_t dos;
};

TEST(DosDateTime, GoldenValues) {
  const DosCase cases[] = {
      {{1980, 1, 1, 0, 0, 0}, 0x00210000},
      {{2021, 3, 4, 5, 6, 8}, 0x526428C4},
      {{2021, 3, 4, 5, 6, 9}, 0x526428C4},  // two-second steps
      {{2107, 12, 31, 23, 59, 58}, 0xFF9FBF7D},
      {{1979, 12, 31, 23, 59, 58}, 0},
      {{2108, 1, 1, 0, 0, 0}, 0},
  };
  for (const DosCase& c : cases) EXPECT_EQ(DosDateTime(c.time), c.dos) << c.time.Year;
}

// A file whose listing and contents disagree: it shrank after the listing.
class ShrinkingFile final : public SourceFiles {
 public:
  SourceFileStamp Stamp(const std::string&) const override { return {10, {2020, 1, 2, 3, 4, 6}, 0x50221883}; }
  bool Read(const std::string&, std::span<uint8_t> buffer) const override {
    std::memset(buffer.data(), 'x', 4);
    return buffer.size() <= 4;
  }
};

class ReadableFile final : public SourceFiles {
 public:
  SourceFileStamp Stamp(const std::string&) const override { return {3, {2020, 1, 2, 3, 4, 6}, 0x50221883}; }
  bool Read(const std::string&, std::span<uint8_t> buffer) const override {
    std::memcpy(buffer.data(), "abc", buffer.size());
    return true;
  }
};

std::vector<uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What an archive without entries holds: the end record alone.
const std::vector<uint8_t> kEmptyArchive = [] {
  std::vector<uint8_t> bytes(22, 0);
  std::memcpy(bytes.data(), "PK\x05\x06", 4);
  return bytes;
}();

TEST(TZipWriter, FileShorterThanListedIsLeftOut) {
  const testsupport::TempFolder folder;
  const ShrinkingFile files;
  {
    TZipWriter zip((folder / "a.zip").string(), "pw", files);
    ASSERT_TRUE(zip.IsOpen());
    EXPECT_FALSE(zip.AddFile("shrinking.log", "shrinking.log"));
  }
  EXPECT_EQ(FileBytes(folder / "a.zip"), kEmptyArchive);
}

TEST(TZipWriter, EntryNameBeyond16BitsIsRefused) {
  const testsupport::TempFolder folder;
  const ReadableFile files;
  {
    TZipWriter zip((folder / "a.zip").string(), "", files);
    EXPECT_FALSE(zip.AddFile("file", std::string(65536, 'n')));
  }
  EXPECT_EQ(FileBytes(folder / "a.zip"), kEmptyArchive);
  {
    TZipWriter zip((folder / "a.zip").string(), "", files);
    EXPECT_TRUE(zip.AddFile("file", std::string(65535, 'n')));
  }
  EXPECT_GT(FileBytes(folder / "a.zip").size(), 2 * 65535u);
}

TEST(TZipWriter, ArchiveInMissingFolderIsNotOpened) {
  const testsupport::TempFolder folder;
  const ReadableFile files;
  {
    TZipWriter zip((folder / "missing" / "a.zip").string(), "pw", files);
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_FALSE(zip.AddFile("file", "file"));
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace tarvex
