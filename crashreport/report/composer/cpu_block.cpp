#include <cstring>

#include "crashreport/callstack/pe/memory_space.h"
#include "crashreport/report/composer/machine_sections.h"
#include "rtl/format.h"

namespace tarvex {

namespace {

constexpr uint32_t kStackDumpBytes = 64, kCodeDumpBytes = 256, kDumpLines = 16;

std::string StackAndCodeDump(const MemorySpace* memory, uint32_t stackPointer, uint32_t exceptionAddress) {
  uint8_t stack[kStackDumpBytes], code[kCodeDumpBytes];
  if (!memory || !ReadMemory(*memory, stackPointer, stack, sizeof stack) ||
      !ReadMemory(*memory, exceptionAddress, code, sizeof code))
    return {};
  std::string dump;
  dump.reserve(kDumpLines * 98);
  for (uint32_t k = 0; k < kDumpLines; ++k) {
    uint32_t value;
    std::memcpy(&value, stack + 4 * k, 4);
    dump += rtl::Format("%08X: %08X   %08X: ", stackPointer + 4 * k, value, exceptionAddress + 16 * k);
    const uint8_t* row = code + 16 * k;
    for (int i = 0; i < 16; ++i) dump += rtl::Format("%02X ", row[i]);
    dump += ' ';
    for (int i = 0; i < 16; ++i) dump += row[i] < 32 || row[i] > 126 ? '.' : char(row[i]);
    dump += "\r\n";
  }
  return dump;
}

}  // namespace

std::string BuildCpuBlock(const MemorySpace* memory, const std::optional<CpuRegisters>& registers,
                          uint32_t stackPointer, uint32_t exceptionAddress, const std::string& registersCaption,
                          const std::string& stackCaption, const std::string& dumpCaption) {
  auto reg = [&](uint32_t CpuRegisters::*field) {
    return registers ? rtl::Format("%08X", (*registers).*field) : std::string("????    ");
  };
  std::string stackTitle = stackCaption + ":";
  if (stackTitle.size() < 21) stackTitle.append(21 - stackTitle.size(), ' ');
  return rtl::Format(
      "%s:\r\n-----------------------------\r\nEAX: %s   EDI: %s\r\nEBX: %s   ESI: %s\r\nECX: %s   ESP: %s\r\n"
      "EDX: %s   EIP: %s\r\n\r\n%s%s:\r\n------------------   "
      "---------------------------------------------------------------------------\r\n%s",
      registersCaption.c_str(), reg(&CpuRegisters::eax).c_str(), reg(&CpuRegisters::edi).c_str(),
      reg(&CpuRegisters::ebx).c_str(), reg(&CpuRegisters::esi).c_str(), reg(&CpuRegisters::ecx).c_str(),
      reg(&CpuRegisters::esp).c_str(), reg(&CpuRegisters::edx).c_str(), reg(&CpuRegisters::eip).c_str(),
      stackTitle.c_str(), dumpCaption.c_str(), StackAndCodeDump(memory, stackPointer, exceptionAddress).c_str());
}

}  // namespace tarvex
