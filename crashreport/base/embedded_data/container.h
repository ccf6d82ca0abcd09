// The crash reporter's embedded data container ("VXDATA").
//
// A module that carries crash reporter data holds one container, either as a
// raw-data resource (type 10) named "VXDATA" or appended to the end of its file.
// Layout (all integers little-endian):
//
//   offset size
//   0      4    magic 0x100FAB10 (0x000FAB10 is accepted too)
//   4      2    data version (stored 600..602 are read as 6000..6002)
//   6      8    build information: the compile time as a double, in days since
//               1899-12-30 00:00 UTC (0 = unknown)
//   14     1    leak options (version 6000 and later only; the header is 14 bytes before)
//   15     1    non-zero: a library defers its leak options to the main executable
//   then, from version 500:
//          4    hook directory length D (a multiple of 9), then D bytes of
//               9-byte entries: id (1), module-relative address (4), size (4)
//   then   4    length Z of the option stream, then Z bytes of zlib data that
//               inflate to the option stream
//   then   4    length B of the debug information, then B bytes (enciphered;
//               read by the debug information readers). May be absent.
//
// Appended to a file, the container is followed by an 8-byte trailer: its
// length (4) and the tag "VXDT", so that the length sits 8 bytes before the end.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarvex {

inline constexpr uint32_t kContainerMagic = 0x100FAB10;
inline constexpr uint32_t kContainerMagicOld = 0x000FAB10;
// The data version this build writes and the newest it reads.
inline constexpr uint16_t kTarvexDataVersion = 6002;
// First version with the 16-byte header and the current option stream layout.
inline constexpr uint16_t kCurrentLayoutVersion = 6000;
inline constexpr uint32_t kAppendedTag = 0x54445856;  // "VXDT"
inline constexpr size_t kAppendedTrailerSize = 8;

struct HookDirectoryEntry {
  uint8_t id = 0;
  uint32_t address = 0;  // module-relative
  uint32_t size = 0;
  friend bool operator==(const HookDirectoryEntry&, const HookDirectoryEntry&) = default;
};

struct EmbeddedData {
  uint16_t version = kTarvexDataVersion;
  std::array<uint8_t, 8> buildInfo{};
  uint8_t leakOptions = 0;
  uint8_t leakOptionsFromMainModule = 0;
  std::vector<HookDirectoryEntry> hooks;
  std::vector<uint8_t> optionStream;  // inflated
  std::vector<uint8_t> debugInfo;     // as stored
  friend bool operator==(const EmbeddedData&, const EmbeddedData&) = default;
};

// Compile time <-> the 8 bytes of build information.
std::array<uint8_t, 8> BuildInfoFromCompileDate(double daysSince1899);
double CompileDateFromBuildInfo(const std::array<uint8_t, 8>& buildInfo);
double CompileDateFromUnixTime(int64_t secondsSince1970);

// Reads a container. No value when the bytes hold no usable data: a wrong
// magic, a version newer than `newestVersion`, a cut or inconsistent layout,
// or an option stream that does not inflate.
std::optional<EmbeddedData> ReadContainer(std::span<const uint8_t> bytes,
                                          uint16_t newestVersion = kTarvexDataVersion);

// Writes a container in the layout of `data.version` (deflating the option stream).
std::vector<uint8_t> WriteContainer(const EmbeddedData& data);

// The container appended to a module file (see the trailer above), or an empty
// span when the file's tail does not describe one.
std::span<const uint8_t> FindAppendedContainer(std::span<const uint8_t> file);

// The file without a previously appended container of this tool (recognised by
// its trailer tag and magic); the file unchanged when it carries none.
std::span<const uint8_t> WithoutAppendedContainer(std::span<const uint8_t> file);

// `file` with `container` and its trailer appended, replacing an earlier one.
std::vector<uint8_t> AppendContainer(std::span<const uint8_t> file, std::span<const uint8_t> container);

}  // namespace tarvex
