// The listing and the CPU block over the live process: a deliberate access
// violation is caught by a vectored handler, which keeps the thread context
// and steps over the faulting instruction.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "crashreport/callstack/disasm/disassembler.h"
#include "crashreport/callstack/disasm/instruction_length.h"
#include "crashreport/callstack/pe/process_memory_win.h"
#include "crashreport/report/composer/machine_sections.h"
#include "rtl/format.h"
#include "tests/support/emulation_win.h"

namespace tarvex {
namespace {

struct Caught {
  uint32_t address = 0;
  CpuRegisters registers;
  bool seen = false;
};
Caught g_caught;

LONG CALLBACK KeepContextAndSkip(EXCEPTION_POINTERS* pointers) {
  // Under qemu-user emulation Wine reports the faulting read as an illegal
  // instruction at the same address; elsewhere only an access violation counts.
  const DWORD code = pointers->ExceptionRecord->ExceptionCode;
  const bool ownFault = code == EXCEPTION_ACCESS_VIOLATION ||
                        (code == EXCEPTION_ILLEGAL_INSTRUCTION && tarvex::testing::RunsUnderEmulation());
  if (!ownFault || g_caught.seen) return EXCEPTION_CONTINUE_SEARCH;
  const CONTEXT& c = *pointers->ContextRecord;
  g_caught.address = uint32_t(reinterpret_cast<uintptr_t>(pointers->ExceptionRecord->ExceptionAddress));
  g_caught.registers = {uint32_t(c.Eax), uint32_t(c.Ebx), uint32_t(c.Ecx), uint32_t(c.Edx),
                        uint32_t(c.Esi), uint32_t(c.Edi), uint32_t(c.Esp), uint32_t(c.Eip)};
  g_caught.seen = true;
  InstructionShape shape;
  if (DecodeInstruction(ThisProcessMemory(), uint32_t(c.Eip), shape) != DecodeStatus::kValid)
    return EXCEPTION_CONTINUE_SEARCH;
  pointers->ContextRecord->Eip += shape.length;
  return EXCEPTION_CONTINUE_EXECUTION;
}

volatile int* volatile g_badPointer = nullptr;  // a page with no access
volatile int g_sink;

__attribute__((noinline)) void ReadThroughBadPointer() { g_sink = *g_badPointer; }

class LiveFault : public ::testing::Test {
 protected:
  void SetUp() override {
    g_caught = {};
    void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(page, nullptr);
    g_badPointer = static_cast<volatile int*>(page);
    void* handler = AddVectoredExceptionHandler(1, KeepContextAndSkip);
    ASSERT_NE(handler, nullptr);
    ReadThroughBadPointer();
    RemoveVectoredExceptionHandler(handler);
    VirtualFree(page, 0, MEM_RELEASE);
    ASSERT_TRUE(g_caught.seen);
  }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::istringstream in(text); std::getline(in, line);) lines.push_back(line.substr(0, line.size() - 1));
  return lines;
}

TEST_F(LiveFault, TheMarkedLineIsTheFaultingInstructionWithTheModulesBytes) {
  const AssemblerSection section = BuildAssemblerListing(&ThisProcessMemory(), g_caught.address, {}, "Assembler");
  std::string marked;
  for (const std::string& line : Lines(section.listing))
    if (line.find("<-- EXCEPTION") != std::string::npos) marked = line;
  ASSERT_FALSE(marked.empty()) << section.listing;
  EXPECT_EQ(marked.substr(0, 10), rtl::Format("%08X  ", g_caught.address));

  // The same bytes, read straight from the code, disassemble to the marked text.
  uint8_t bytes[kMaxInstructionLength];
  std::memcpy(bytes, reinterpret_cast<const void*>(uintptr_t(g_caught.address)), sizeof bytes);
  uint32_t length = 0;
  std::string text;
  Disassemble(TDisAsm(), bytes, g_caught.address, length, text);
  EXPECT_EQ(marked.substr(10, text.size()), text);
  EXPECT_NE(text.find('['), std::string::npos) << "a memory read faulted: " << text;
}

TEST_F(LiveFault, CpuBlockShowsTheCapturedRegistersAndTheCodeBytes) {
  const std::string block = BuildCpuBlock(&ThisProcessMemory(), g_caught.registers, g_caught.registers.esp,
                                          g_caught.address, "Registers", "Stack", "Memory Dump");
  const std::vector<std::string> lines = Lines(block);
  ASSERT_EQ(lines.size(), 25u) << block;
  EXPECT_EQ(lines[4], rtl::Format("ECX: %08X   ESP: %08X", g_caught.registers.ecx, g_caught.registers.esp));
  EXPECT_EQ(lines[5], rtl::Format("EDX: %08X   EIP: %08X", g_caught.registers.edx, g_caught.address));
  const uint8_t* code = reinterpret_cast<const uint8_t*>(uintptr_t(g_caught.address));
  EXPECT_EQ(lines[9].substr(21, 15), rtl::Format("%08X: %02X %02X", g_caught.address, code[0], code[1]));
}

}  // namespace
}  // namespace tarvex
