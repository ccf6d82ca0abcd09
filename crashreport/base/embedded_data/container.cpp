#include "crashreport/base/embedded_data/container.h"

#include <bit>
#include <cstring>

#include "crashreport/base/embedded_data/zlib_codec.h"
#include "rtl/byte_stream.h"
#include "rtl/exception.h"

namespace tarvex {
namespace {

constexpr uint16_t kFirstVersionWithHooks = 500;
constexpr size_t kHookEntrySize = 9;
constexpr double kUnixEpochInDays = 25569.0;  // 1970-01-01 counted from 1899-12-30

uint16_t NormalizedVersion(uint16_t stored) {
  return stored >= 600 && stored <= 602 ? static_cast<uint16_t>(stored - 600 + 6000) : stored;
}

std::span<const uint8_t> ReadBlock(rtl::ByteReader& in) { return in.ReadBytes(in.ReadU32()); }

void WriteBlock(rtl::ByteWriter& out, std::span<const uint8_t> bytes) {
  out.WriteU32(static_cast<uint32_t>(bytes.size()));
  out.WriteBytes(bytes);
}

uint32_t LoadU32(std::span<const uint8_t> bytes, size_t offset) {
  rtl::ByteReader in(bytes.subspan(offset, 4));
  return in.ReadU32();
}

}  // namespace

std::array<uint8_t, 8> BuildInfoFromCompileDate(double daysSince1899) {
  rtl::ByteWriter out;
  out.WriteU64(std::bit_cast<uint64_t>(daysSince1899));
  std::array<uint8_t, 8> info;
  std::memcpy(info.data(), out.Bytes().data(), info.size());
  return info;
}

double CompileDateFromBuildInfo(const std::array<uint8_t, 8>& buildInfo) {
  rtl::ByteReader in(buildInfo);
  return std::bit_cast<double>(in.ReadU64());
}

double CompileDateFromUnixTime(int64_t secondsSince1970) {
  return kUnixEpochInDays + static_cast<double>(secondsSince1970) / 86400.0;
}

std::optional<EmbeddedData> ReadContainer(std::span<const uint8_t> bytes, uint16_t newestVersion) {
  try {
    rtl::ByteReader in(bytes);
    const uint32_t magic = in.ReadU32();
    if (magic != kContainerMagic && magic != kContainerMagicOld) return std::nullopt;
    EmbeddedData data;
    data.version = NormalizedVersion(in.ReadU16());
    if (data.version > newestVersion) return std::nullopt;
    const auto info = in.ReadBytes(data.buildInfo.size());
    std::copy(info.begin(), info.end(), data.buildInfo.begin());
    if (data.version >= kCurrentLayoutVersion) {
      data.leakOptions = in.ReadU8();
      data.leakOptionsFromMainModule = in.ReadU8();
    }
    if (data.version >= kFirstVersionWithHooks) {
      const auto directory = ReadBlock(in);
      if (directory.size() % kHookEntrySize != 0) return std::nullopt;
      rtl::ByteReader entries(directory);
      while (!entries.AtEnd()) {
        HookDirectoryEntry entry;
        entry.id = entries.ReadU8();
        entry.address = entries.ReadU32();
        entry.size = entries.ReadU32();
        data.hooks.push_back(entry);
      }
    }
    auto options = ZlibDecompress(ReadBlock(in));
    if (!options) return std::nullopt;
    data.optionStream = std::move(*options);
    if (!in.AtEnd()) {
      const auto debug = ReadBlock(in);
      data.debugInfo.assign(debug.begin(), debug.end());
    }
    return data;
  } catch (const rtl::EReadError&) {
    return std::nullopt;
  }
}

std::vector<uint8_t> WriteContainer(const EmbeddedData& data) {
  rtl::ByteWriter out;
  out.WriteU32(kContainerMagic);
  out.WriteU16(data.version);
  out.WriteBytes(data.buildInfo);
  if (data.version >= kCurrentLayoutVersion) {
    out.WriteU8(data.leakOptions);
    out.WriteU8(data.leakOptionsFromMainModule);
  }
  if (data.version >= kFirstVersionWithHooks) {
    out.WriteU32(static_cast<uint32_t>(data.hooks.size() * kHookEntrySize));
    for (const HookDirectoryEntry& entry : data.hooks) {
      out.WriteU8(entry.id);
      out.WriteU32(entry.address);
      out.WriteU32(entry.size);
    }
  }
  WriteBlock(out, ZlibCompress(data.optionStream));
  WriteBlock(out, data.debugInfo);
  return out.Take();
}

std::span<const uint8_t> FindAppendedContainer(std::span<const uint8_t> file) {
  if (file.size() < kAppendedTrailerSize) return {};
  const size_t trailer = file.size() - kAppendedTrailerSize;
  const uint32_t length = LoadU32(file, trailer);
  if (length > trailer) return {};
  return file.subspan(trailer - length, length);
}

std::span<const uint8_t> WithoutAppendedContainer(std::span<const uint8_t> file) {
  const auto container = FindAppendedContainer(file);
  if (container.size() < 4 || LoadU32(file, file.size() - 4) != kAppendedTag) return file;
  const uint32_t magic = LoadU32(container, 0);
  if (magic != kContainerMagic && magic != kContainerMagicOld) return file;
  return file.first(file.size() - kAppendedTrailerSize - container.size());
}

std::vector<uint8_t> AppendContainer(std::span<const uint8_t> file, std::span<const uint8_t> container) {
  const auto base = WithoutAppendedContainer(file);
  rtl::ByteWriter out;
  out.WriteBytes(base);
  out.WriteBytes(container);
  out.WriteU32(static_cast<uint32_t>(container.size()));
  out.WriteU32(kAppendedTag);
  return out.Take();
}

}  // namespace tarvex
