#include "crashreport/core/embedded_data/module_data_win.h"

#include <windows.h>

#include <vector>

#include "crashreport/core/win_handles_win.h"

namespace tarvex {

namespace {

HMODULE AsModule(uint32_t module) { return reinterpret_cast<HMODULE>(uintptr_t(module)); }

// The bytes of the module's "VXDATA" resource; false when it has none.
bool FindDataResource(uint32_t module, std::span<const uint8_t>& bytes) {
  const HRSRC resource = FindResourceA(AsModule(module), "VXDATA", MAKEINTRESOURCEA(10));
  if (!resource) return false;
  const DWORD size = SizeofResource(AsModule(module), resource);
  const HGLOBAL loaded = LoadResource(AsModule(module), resource);
  const auto* data = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
  bytes = data ? std::span<const uint8_t>(data, size) : std::span<const uint8_t>();
  return true;
}

bool ReadAt(HANDLE file, uint64_t offset, void* out, DWORD size) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  DWORD read = 0;
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ReadFile(file, out, size, &read, nullptr) &&
         read == size;
}

}  // namespace

std::optional<EmbeddedData> ReadAppendedFileData(const std::string& fileName) {
  try {
    win::KernelHandle file;
    *file.receive() = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.get() == INVALID_HANDLE_VALUE) {
      *file.receive() = nullptr;
      return std::nullopt;
    }
    LARGE_INTEGER size;
    uint8_t trailer[kAppendedTrailerSize];
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < LONGLONG(kAppendedTrailerSize) ||
        !ReadAt(file.get(), size.QuadPart - kAppendedTrailerSize, trailer, sizeof trailer))
      return std::nullopt;
    // The container and its trailer: the length sits 8 bytes before the end.
    const uint32_t length = trailer[0] | uint32_t(trailer[1]) << 8 | uint32_t(trailer[2]) << 16 | uint32_t(trailer[3]) << 24;
    if (length > size.QuadPart - LONGLONG(kAppendedTrailerSize)) return std::nullopt;
    std::vector<uint8_t> tail(size_t(length) + kAppendedTrailerSize);
    if (!ReadAt(file.get(), size.QuadPart - LONGLONG(tail.size()), tail.data(), DWORD(tail.size())))
      return std::nullopt;
    return ReadContainer(FindAppendedContainer(tail));
  } catch (...) {  // a length the process cannot hold
    return std::nullopt;
  }
}

std::optional<EmbeddedData> ReadLoadedModuleData(uint32_t module, const std::string& fileName) {
  std::span<const uint8_t> resource;
  if (!FindDataResource(module, resource)) return ReadAppendedFileData(fileName);
  try {  // a module with the resource is read from it alone
    return ReadContainer(resource);
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace tarvex
