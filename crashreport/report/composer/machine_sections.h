// The machine-level parts of the bug report: the assembler listing around the
// exception address with its title block, and the CPU block (registers, stack
// and memory dump). Memory is read only where it is readable.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "crashreport/report/composer/report_facts.h"

namespace tarvex {

struct AssemblerSection {
  std::string title;    // caption, ":" and a dash line as wide as the listing; no line end
  std::string listing;  // CR LF after every line; empty when the code cannot be read
};

using AddressLocator = std::function<void(uint32_t address, TTarvexStackItem& item)>;

// At most 10 instructions before and 10 after `exceptionAddress` (an
// instruction after it with a first byte 0xC2..0xCB ends the listing), with
// "; place (Line=n - Offset=m)" notes where the procedure or line changes and
// "<-- EXCEPTION" on the faulting instruction. Both texts are empty when 4
// bytes at the address cannot be read.
AssemblerSection BuildAssemblerListing(const MemorySpace* memory, uint32_t exceptionAddress,
                                       const AddressLocator& locate, const std::string& caption);

// The registers (or "????    " each without a context) and the 16-line stack
// and memory dump, which is empty unless 64 bytes at `stackPointer` and 256
// bytes at `exceptionAddress` are readable.
std::string BuildCpuBlock(const MemorySpace* memory, const std::optional<CpuRegisters>& registers,
                          uint32_t stackPointer, uint32_t exceptionAddress, const std::string& registersCaption,
                          const std::string& stackCaption, const std::string& dumpCaption);

}  // namespace tarvex
