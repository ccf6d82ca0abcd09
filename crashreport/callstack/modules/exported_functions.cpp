#include "crashreport/callstack/modules/exported_functions.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "crashreport/callstack/pe/byte_cursor.h"
#include "crashreport/callstack/pe/pe_image.h"

namespace tarvex {

namespace {

constexpr uint32_t kExportDataDirectory = 0;
constexpr uint32_t kExportDirectorySize = 40;
constexpr uint32_t kExportCounts = 0x14;  // NumberOfFunctions, then the counts and table addresses
// Name ordinals are 16-bit: no name reaches a function entry past this many.
constexpr uint32_t kMaxFunctions = 0x10000;
constexpr uint32_t kMaxNameLength = 4096;

// Bytes readable from `address` on, at most `limit`; unlike ReadableBytes a
// run shorter than the limit still counts.
uint32_t ReadableRun(const MemorySpace& memory, uint32_t address, uint32_t limit) {
  uint64_t count = 0;
  while (count < limit && address + count <= 0xFFFFFFFFu) {
    const uint32_t more = ReadableBytes(memory, uint32_t(address + count), 1);
    if (more == 0) break;
    count += more;
  }
  return uint32_t(std::min<uint64_t>(count, limit));
}

// The readable leading part of a table of `count` entries at `address`.
template <typename Entry>
std::vector<Entry> ReadTable(const MemorySpace& memory, uint32_t address, uint32_t count) {
  const uint32_t wanted = count * uint32_t(sizeof(Entry));  // count <= kMaxFunctions: no overflow
  const uint32_t kept = ReadableRun(memory, address, wanted) / uint32_t(sizeof(Entry));
  std::vector<Entry> table(kept);
  if (kept != 0) memory.CopyReadable(address, table.data(), kept * sizeof(Entry));
  return table;
}

// Reads zero-terminated names in small pieces, remembering how far the last
// region query found memory readable, so a table of names costs few queries.
class NameReader {
 public:
  explicit NameReader(const MemorySpace& memory) : memory_(memory) {}

  // False for an empty, unterminated, overlong or unreadable name.
  bool Read(uint32_t address, std::string& name) {
    name.clear();
    uint64_t at = address;
    while (name.size() <= kMaxNameLength) {
      if (at < readableFrom_ || at >= readableTo_) {
        const uint32_t readable = at > 0xFFFFFFFFu ? 0 : ReadableBytes(memory_, uint32_t(at), 1);
        if (readable == 0) return false;
        readableFrom_ = at;
        readableTo_ = at + readable;
      }
      char piece[64];
      const size_t count = size_t(std::min<uint64_t>(sizeof piece, readableTo_ - at));
      memory_.CopyReadable(uint32_t(at), piece, count);
      if (const void* end = std::memchr(piece, 0, count)) {
        name.append(piece, static_cast<const char*>(end) - piece);
        return !name.empty() && name.size() <= kMaxNameLength;
      }
      name.append(piece, count);
      at += count;
    }
    return false;
  }

 private:
  const MemorySpace& memory_;
  uint64_t readableFrom_ = 0, readableTo_ = 0;
};

// On Windows 9x the system's exports point at "push imm32; jmp rel32" stubs
// (68 xx xx xx xx E9 ...); the pushed value is the function itself.
uint32_t FollowPushJumpStub(const MemorySpace& memory, uint32_t address) {
  uint8_t stub[6];
  if (!ReadMemory(memory, address, stub, sizeof stub) || stub[0] != 0x68 || stub[5] != 0xE9) return address;
  uint32_t pushed;
  std::memcpy(&pushed, stub + 1, 4);
  return pushed;
}

}  // namespace

bool ReadExportedFunctions(const MemorySpace& memory, uint32_t handle, TTarvexFunctionsList& list,
                           const ForwardedExportResolver& resolver, ExportStubs stubs) {
  if (!IsReadableBlock(memory, handle, 64)) return false;
  const TVXPeImage image(memory, handle);
  const uint32_t codeStart = handle + image.BaseOfCode();
  if (!image.Valid() || !IsReadableBlock(memory, codeStart, image.SizeOfCode())) return false;

  uint32_t directoryAddress = 0, directorySize = 0;
  uint8_t directory[kExportDirectorySize];
  if (!image.DataDirectory(kExportDataDirectory, directoryAddress, directorySize) ||
      !ReadMemory(memory, handle + directoryAddress, directory, sizeof directory))
    return false;
  ByteCursor fields(directory, kExportCounts);
  const uint32_t functionCount = std::min(fields.U32(), kMaxFunctions);
  const uint32_t nameCount = std::min(fields.U32(), functionCount);
  const std::vector<uint32_t> functions = ReadTable<uint32_t>(memory, handle + fields.U32(), functionCount);
  const std::vector<uint32_t> names = ReadTable<uint32_t>(memory, handle + fields.U32(), nameCount);
  const std::vector<uint16_t> ordinals = ReadTable<uint16_t>(memory, handle + fields.U32(), nameCount);

  NameReader nameReader(memory);
  for (size_t i = 0; i < std::min(names.size(), ordinals.size()); ++i) {
    TTarvexFunctionInfo function;
    if (ordinals[i] >= functions.size() || !nameReader.Read(handle + names[i], function.Name)) continue;
    const uint32_t entry = functions[ordinals[i]];
    const bool forwarded = entry - directoryAddress < directorySize;
    function.Address = forwarded ? resolver.Resolve(handle, function.Name) : handle + entry;
    if (function.Address == 0) continue;  // a forwarder to nothing
    if (stubs == ExportStubs::Windows9x) function.Address = FollowPushJumpStub(memory, function.Address);
    function.Size = function.Address < codeStart ? 1 : 0;
    list.Add(std::move(function));
  }
  list.Sort();
  return true;
}

}  // namespace tarvex
