// The container of a module loaded in this process.
#include "crashreport/base/embedded_data/module_container_win.h"

#include <windows.h>

#include <fstream>

#include "crashreport/base/util/little_endian.h"

namespace tarvex {
namespace {

// The container appended to `fileName`: the trailer (length, tag) at the
// end of the file gives its place; a length beyond the file, or bytes there
// that do not start with the magic, give nothing (and are not read).
std::vector<uint8_t> AppendedContainerBytes(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary | std::ios::ate);
  const std::streamoff trailerAt = file ? std::streamoff(file.tellg()) - std::streamoff(kAppendedTrailerSize) : -1;
  uint8_t trailer[kAppendedTrailerSize];
  if (trailerAt < 0 || !file.seekg(trailerAt) || !file.read(reinterpret_cast<char*>(trailer), sizeof trailer))
    return {};
  const uint32_t length = LittleEndian32(trailer);
  if (length < 4 || std::streamoff(length) > trailerAt) return {};
  std::vector<uint8_t> bytes(4);
  if (!file.seekg(trailerAt - std::streamoff(length)) || !file.read(reinterpret_cast<char*>(bytes.data()), 4))
    return {};
  const uint32_t magic = LittleEndian32(bytes.data());
  if (magic != kContainerMagic && magic != kContainerMagicOld) return {};
  bytes.resize(length);
  if (!file.read(reinterpret_cast<char*>(bytes.data()) + 4, length - 4)) return {};
  return bytes;
}

}  // namespace

std::optional<EmbeddedData> ReadModuleContainer(uint32_t handle, const std::string& fileName) {
  try {
    const auto module = reinterpret_cast<HMODULE>(uintptr_t(handle));
    if (const HRSRC resource = FindResourceA(module, "VXDATA", MAKEINTRESOURCEA(10))) {
      const HGLOBAL loaded = LoadResource(module, resource);
      const auto* bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
      if (bytes) return ReadContainer(std::span<const uint8_t>(bytes, SizeofResource(module, resource)));
    }
    return ReadContainer(AppendedContainerBytes(fileName));
  } catch (const std::exception&) {
    return std::nullopt;  // out of memory
  }
}

}  // namespace tarvex
