// The options of the process's modules, read when their records are built.
#include <windows.h>

#include <fstream>

#include "crashreport/callstack/module_options.h"
#include "crashreport/callstack/modules_win.h"

namespace tarvex {
namespace {

// The module that holds this code: the program, or the library carrying its own crash reporter.
uint32_t ReporterModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<const char*>(&ReporterModule), &module);
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module));
}

std::string FileNameOf(uint32_t handle) {
  char path[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameA(reinterpret_cast<HMODULE>(uintptr_t(handle)), path, MAX_PATH);
  return std::string(path, length);
}

uint32_t LittleEndian32(const uint8_t* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

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

TTarvexModuleOptions& CurrentTarvexLogOptions() {
  const uint32_t running = ReporterModule();
  return RegisteredModuleOptions(&ModulesList(), running, FileNameOf(running));
}

void LoadModuleOptions(TTarvexModuleInfo& module, const std::optional<EmbeddedData>& data) {
  try {
    module.Options = ReadModuleOptions(module.FileName, module.Handle, data, ReporterModule(), ProcessSharedBlocks());
  } catch (const std::exception&) {
    module.Options.reset();  // out of memory: the module counts as one without options
  }
}

}  // namespace tarvex
