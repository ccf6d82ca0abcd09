// libFuzzer target: arbitrary bytes given to every debug information reader
// (embedded line table, map text, TD32 block, JDBG data, a module's export
// table) never crash them or make them read outside the bytes (the sanitizers
// watch every read). The first input byte picks the reader.
#include <cstdint>
#include <vector>

#include "crashreport/callstack/debuginfo/debug_info_jdbg.h"
#include "crashreport/callstack/debuginfo/debug_info_map.h"
#include "crashreport/callstack/debuginfo/debug_info_td32.h"
#include "crashreport/callstack/debuginfo/embedded_line_table.h"
#include "crashreport/callstack/modules/exported_functions.h"

namespace {

using namespace tarvex;

constexpr uint32_t kOffsets[] = {0, 1, 0x10, 0x100, 0x1234, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF};

void Embedded(const std::vector<uint8_t>& bytes) {
  BufferMemorySpace memory;
  memory.Map(0x401000, std::vector<uint8_t>(0x100, 0x55));
  for (uint16_t version : {300, 450, 501, 6002}) {
    for (bool valid : {true, false}) {
      const TVXEmbeddedLineInfo module{bytes, version, "key", valid, 0x400000};
      for (uint32_t offset : kOffsets) {
        TVXStackLocation entry;
        FindEmbeddedLocation(module, memory, 0x401000 + offset, false, entry);
      }
    }
  }
}

void Map(const std::vector<uint8_t>& bytes) {
  TVXMapScanner scanner(bytes);
  for (uint32_t offset : kOffsets) {
    uint32_t distance;
    scanner.SegmentFromOffset(offset);
    scanner.ProcNameFromOffset(offset, distance);
    scanner.LineNumberFromOffset(offset);
    scanner.SourceNameFromOffset(offset);
  }
}

void Td32(const std::vector<uint8_t>& bytes) {
  TVXTD32InfoScanner scanner(bytes);
  for (uint32_t offset : kOffsets) {
    uint32_t distance;
    scanner.ModuleNameFromAddr(offset);
    CleanTD32ProcName(scanner.ProcNameFromAddr(offset, distance), "unit");
    scanner.LineNumberFromAddr(offset);
    scanner.SourceModuleFromAddr(offset);
  }
}

void Jdbg(std::vector<uint8_t> bytes) {
  // Most inputs fail the header checks: give half of them a valid header.
  if (bytes.size() >= 35 && bytes[0] % 2 == 0) {
    bytes[0] = 'J', bytes[1] = 'D', bytes[2] = 'B', bytes[3] = 'G', bytes[4] = 1, bytes[33] = 0;
    bytes.resize(bytes.size() / 4 * 4);
  }
  for (bool cached : {true, false}) {
    TVXBinDebugScanner scanner(bytes, cached);
    for (uint32_t offset : kOffsets) {
      uint32_t distance;
      scanner.ModuleNameFromAddr(offset);
      scanner.SourceNameFromAddr(offset);
      scanner.ProcNameFromAddr(offset, distance);
      scanner.LineNumberFromAddr(offset);
    }
  }
}

class AnyForwarder : public ForwardedExportResolver {
 public:
  uint32_t Resolve(uint32_t handle, const std::string& name) const override {
    return name.size() % 2 ? 0 : handle + uint32_t(name.size());
  }
};

// The bytes as a loaded image; half of them get headers whose export
// directory (address and size from the input) lies in the image.
void Exports(std::vector<uint8_t> bytes) {
  constexpr uint32_t kHandle = 0x10000000;
  if (bytes.size() >= 0x140 && bytes[0] % 2 == 0) {
    auto put = [&](size_t at, uint32_t value, int count) {
      for (int b = 0; b < count; ++b) bytes[at + b] = uint8_t(value >> (8 * b));
    };
    put(0, 0x5A4D, 2);
    put(0x3C, 0x40, 4);
    put(0x40, 0x4550, 4);
    put(0x54, 0xE0, 2);                         // optional header size
    put(0x58 + 4, 0x40, 4);                     // SizeOfCode
    put(0x58 + 20, 0x100, 4);                   // BaseOfCode
    put(0x58 + 92, 16, 4);                      // data directories
    put(0x58 + 96, (bytes[2] | bytes[3] << 8) % (bytes.size() - 40), 4);  // export directory in the image
  }
  BufferMemorySpace memory;
  if (!bytes.empty()) memory.Map(kHandle, std::move(bytes));
  for (ExportStubs stubs : {ExportStubs::Keep, ExportStubs::Windows9x}) {
    TTarvexFunctionsList list;
    ReadExportedFunctions(memory, kHandle, list, AnyForwarder(), stubs);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::vector<uint8_t> bytes(data + 1, data + size);
  switch (data[0] % 5) {
    case 0: Embedded(bytes); break;
    case 1: Map(bytes); break;
    case 2: Td32(bytes); break;
    case 3: Jdbg(bytes); break;
    default: Exports(bytes); break;
  }
  return 0;
}
