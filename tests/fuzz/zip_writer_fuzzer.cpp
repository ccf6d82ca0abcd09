// libFuzzer target: archives written by the zip writer read back equal
// through minizip's reader: every entry's name, date, CRC and contents.
// That reader cannot decrypt, so encrypted entries are read raw and
// decrypted here (traditional PKWARE encryption), then inflated.
//
// Input: byte 0 is the password's length (mod 17) and the password follows;
// then files, each a name length byte, the name, a 2-byte little-endian
// contents length and the contents, until the input ends. The files are
// held in memory; the archive goes to a file of this process.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <minizip/unzip.h>
#include <zlib.h>

#include "crashreport/delivery/zip/zip_writer.h"

namespace {

using namespace tarvex;

struct File {
  std::string Name;
  std::vector<uint8_t> Contents;
};

class MemoryFiles final : public SourceFiles {
 public:
  explicit MemoryFiles(const std::vector<File>& files) : files_(files) {}
  SourceFileStamp Stamp(const std::string& path) const override {
    const File& file = files_[std::stoul(path)];
    return {static_cast<uint32_t>(file.Contents.size()), {2024, 2, 29, 23, 59, 58}, 0x585DBF7D};
  }
  bool Read(const std::string& path, std::span<uint8_t> buffer) const override {
    const File& file = files_[std::stoul(path)];
    if (buffer.size() != file.Contents.size()) return false;
    std::copy(file.Contents.begin(), file.Contents.end(), buffer.begin());
    return true;
  }

 private:
  const std::vector<File>& files_;
};

// Takes `size` bytes from the input; fewer where it ends.
std::string Take(const uint8_t*& data, size_t& left, size_t size) {
  size = std::min(size, left);
  std::string bytes(reinterpret_cast<const char*>(data), size);
  data += size;
  left -= size;
  return bytes;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// The traditional PKWARE decryption: three keys driven by the plain text.
class Decrypter {
 public:
  explicit Decrypter(const std::string& password) {
    for (const char c : password) Update(static_cast<uint8_t>(c));
  }
  uint8_t Decrypt(uint8_t c) {
    const uint32_t temp = (keys_[2] & 0xFFFF) | 2;
    const auto plain = static_cast<uint8_t>(c ^ ((temp * (temp ^ 1)) >> 8));
    Update(plain);
    return plain;
  }

 private:
  static uint32_t Crc(uint32_t crc, uint8_t byte) { return get_crc_table()[(crc ^ byte) & 0xFF] ^ (crc >> 8); }
  void Update(uint8_t plain) {
    keys_[0] = Crc(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813 + 1;
    keys_[2] = Crc(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
  }
  uint32_t keys_[3] = {0x12345678, 0x23456789, 0x34567890};
};

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& deflated, size_t size) {
  std::vector<uint8_t> out(size + 1);
  z_stream zs{};
  Check(inflateInit2(&zs, -MAX_WBITS) == Z_OK);
  zs.next_in = const_cast<Bytef*>(deflated.data());
  zs.avail_in = static_cast<uInt>(deflated.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  Check(inflate(&zs, Z_FINISH) == Z_STREAM_END);
  out.resize(zs.total_out);
  inflateEnd(&zs);
  return out;
}

// The contents of the current entry, decrypted with `password` when it has one.
std::vector<uint8_t> ReadEntry(unzFile reader, const unz_file_info& info, const std::string& password) {
  int method = 0;
  int level = 0;
  Check(unzOpenCurrentFile2(reader, &method, &level, 1) == UNZ_OK && method == Z_DEFLATED);
  std::vector<uint8_t> stored(info.compressed_size + 1);
  const int got = unzReadCurrentFile(reader, stored.data(), static_cast<unsigned>(stored.size()));
  Check(got == static_cast<int>(info.compressed_size));
  stored.resize(static_cast<size_t>(got));
  Check(unzCloseCurrentFile(reader) == UNZ_OK);
  if (!password.empty()) {
    Check(stored.size() >= 12);
    Decrypter decrypter(password);
    for (uint8_t& byte : stored) byte = decrypter.Decrypt(byte);
    Check(stored[11] == info.crc >> 24);  // the header's check byte
    stored.erase(stored.begin(), stored.begin() + 12);
  }
  return Inflate(stored, info.uncompressed_size);
}

const std::string kArchive = "/tmp/vx-zip-fuzz-" + std::to_string(getpid()) + ".zip";
void RemoveArchive() { std::remove(kArchive.c_str()); }
const bool kRemovedAtExit = std::atexit(&RemoveArchive) == 0;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t* at = data;
  size_t left = size;
  std::string password = Take(at, left, 1);
  password = Take(at, left, static_cast<uint8_t>(password[0]) % 17);
  for (char& c : password) c = c == '\0' ? 'p' : c;  // a C string, as the options hold it
  std::vector<File> files;
  while (left > 0) {
    File file;
    file.Name = Take(at, left, static_cast<uint8_t>(Take(at, left, 1)[0]));
    for (char& c : file.Name) c = c == '\0' ? 'n' : c;
    const std::string length = Take(at, left, 2);
    const size_t contentsSize = length.size() == 2 ? static_cast<uint8_t>(length[0]) | static_cast<uint8_t>(length[1]) << 8 : 0;
    const std::string contents = Take(at, left, contentsSize);
    file.Contents.assign(contents.begin(), contents.end());
    files.push_back(std::move(file));
  }

  const MemoryFiles memory(files);
  {
    TZipWriter zip(kArchive, password, memory);
    Check(zip.IsOpen());
    for (size_t i = 0; i < files.size(); ++i) Check(zip.AddFile(std::to_string(i), files[i].Name));
  }

  // minizip's reader never finds an end record at offset 0: an archive
  // without entries is the end record alone.
  if (files.empty()) {
    std::FILE* written = std::fopen(kArchive.c_str(), "rb");
    Check(written != nullptr && std::fseek(written, 0, SEEK_END) == 0 && std::ftell(written) == 22);
    std::fclose(written);
    return 0;
  }
  const unzFile reader = unzOpen(kArchive.c_str());
  Check(reader != nullptr);
  unz_global_info global;
  Check(unzGetGlobalInfo(reader, &global) == UNZ_OK && global.number_entry == files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    Check((i == 0 ? unzGoToFirstFile(reader) : unzGoToNextFile(reader)) == UNZ_OK);
    unz_file_info info;
    char name[300];
    Check(unzGetCurrentFileInfo(reader, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK);
    Check(name == files[i].Name && info.uncompressed_size == files[i].Contents.size());
    Check(((info.flag & 1) != 0) == !password.empty());
    Check(info.dosDate == 0x585DBF7D);
    const std::vector<uint8_t> contents = ReadEntry(reader, info, password);
    Check(contents == files[i].Contents);
    Check(info.crc == crc32(0, contents.data(), static_cast<uInt>(contents.size())));
  }
  unzClose(reader);
  return 0;
}
