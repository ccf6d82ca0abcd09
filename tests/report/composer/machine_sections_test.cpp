#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "crashreport/callstack/pe/memory_space.h"
#include "crashreport/report/composer/machine_sections.h"
#include "tests/report/composer/report_fixture.h"

namespace tarvex {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::istringstream in(text); std::getline(in, line);) lines.push_back(line.substr(0, line.size() - 1));
  return lines;
}

// Instruction lines (not notes) and where the exception line is among them.
struct Listed {
  std::vector<std::string> instructions;
  int exceptionIndex = -1;
};
Listed InstructionsOf(const std::string& listing) {
  Listed listed;
  for (const std::string& line : Lines(listing)) {
    if (line.empty() || line[0] == ';') continue;
    if (line.find("<-- EXCEPTION") != std::string::npos) listed.exceptionIndex = int(listed.instructions.size());
    listed.instructions.push_back(line);
  }
  return listed;
}

const AddressLocator kNoNames;

TEST(AssemblerListing, AtMostTenInstructionsOnEachSide) {
  BufferMemorySpace memory;
  memory.Map(0x00401000, std::vector<uint8_t>(0x100, 0x90));  // nop, nop, ...
  const Listed listed = InstructionsOf(BuildAssemblerListing(&memory, 0x00401080, kNoNames, "Assembler").listing);
  ASSERT_EQ(listed.exceptionIndex, 10);
  EXPECT_EQ(listed.instructions.size(), 21u);
  EXPECT_EQ(listed.instructions.front().substr(0, 8), "00401076");
  EXPECT_EQ(listed.instructions[10], "00401080  nop  ; <-- EXCEPTION");
}

TEST(AssemblerListing, SynchronisesOnTheExceptionAddressAndStopsAfterAReturn) {
  // mov eax,$11223344 (5 bytes) five times, the faulting instruction, then ret $0004.
  std::vector<uint8_t> code;
  for (int i = 0; i < 5; ++i) code.insert(code.end(), {0xB8, 0x44, 0x33, 0x22, 0x11});
  code.insert(code.end(), {0x8B, 0x00, 0xC2, 0x04, 0x00, 0x90, 0x90});
  code.resize(0x80, 0x90);
  BufferMemorySpace memory;
  memory.Map(0x00401000, code);
  const Listed listed = InstructionsOf(BuildAssemblerListing(&memory, 0x00401019, kNoNames, "Assembler").listing);
  ASSERT_EQ(listed.exceptionIndex, 5);
  ASSERT_EQ(listed.instructions.size(), 7u);  // the ret is listed and ends it
  EXPECT_EQ(listed.instructions[0].substr(0, 8), "00401000");
  EXPECT_EQ(listed.instructions[6].substr(0, 8), "0040101B");
}

TEST(AssemblerListing, NotesNameTheProcedureAndTheTitleIsAsWideAsTheListing) {
  testing::ReportFixture fixture;
  const AssemblerSection section =
      BuildAssemblerListing(&fixture.memory, testing::kFaultAddress, testing::LocateFixtureAddress, "Assembler Information");
  const std::vector<std::string> lines = Lines(section.listing);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "; Unit1.TForm1.Button1Click (Line=40 - Offset=0)");
  EXPECT_EQ(lines[1], "; " + std::string(lines[0].size() - 2, '-'));
  size_t widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, line.size());
  EXPECT_EQ(section.title, "Assembler Information:\r\n" + std::string(widest, '-'));
}

TEST(AssemblerListing, UnreadableCodeGivesNothing) {
  BufferMemorySpace memory;
  memory.Map(0x00401000, std::vector<uint8_t>(0x10, 0x90));
  for (uint32_t address : {0x00500000u, 0x0040100Eu /* only 2 readable bytes */, 0u}) {
    const AssemblerSection section = BuildAssemblerListing(&memory, address, kNoNames, "Assembler");
    EXPECT_EQ(section.title, "") << std::hex << address;
    EXPECT_EQ(section.listing, "") << std::hex << address;
  }
  EXPECT_EQ(BuildAssemblerListing(nullptr, 0x00401000, kNoNames, "Assembler").listing, "");
}

TEST(CpuBlock, RegistersAndA96ColumnDump) {
  testing::ReportFixture fixture;
  const std::string block = BuildCpuBlock(&fixture.memory, fixture.facts.registers, testing::kStackPointer,
                                          testing::kFaultAddress, "Registers", "Stack", "Memory Dump");
  const std::vector<std::string> lines = Lines(block);
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[2], "EAX: 00000000   EDI: 0012FFB0");
  EXPECT_EQ(lines[5], "EDX: 00000001   EIP: 0040100A");
  EXPECT_EQ(lines[7], "Stack:               Memory Dump:");
  EXPECT_EQ(lines[8].size(), 96u);
  for (size_t i = 9; i < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 96u) << lines[i];
  EXPECT_EQ(lines[9].substr(0, 42), "0012FF00: 150E0700   0040100A: 8B 00 68 00");
}

TEST(CpuBlock, PlaceholdersWithoutContextAndNoDumpFromUnreadableMemory) {
  testing::ReportFixture fixture;
  const std::string noContext = BuildCpuBlock(&fixture.memory, std::nullopt, testing::kStackPointer,
                                              testing::kFaultAddress, "Registers", "Stack", "Memory Dump");
  EXPECT_NE(noContext.find("EAX: ????       EDI: ????    \r\n"), std::string::npos);
  // A stack pointer whose 64 bytes run off the mapped stack, and code whose 256 bytes run off the mapped data.
  for (auto [stack, code] : {std::pair{testing::kStackPointer + 0xF0, testing::kFaultAddress},
                             std::pair{testing::kStackPointer, 0x00402080u}}) {
    const std::string block =
        BuildCpuBlock(&fixture.memory, fixture.facts.registers, stack, code, "Registers", "Stack", "Memory Dump");
    EXPECT_EQ(block.substr(block.size() - 98), "------------------   "
                                                 "---------------------------------------------------------------------------\r\n");
  }
}

}  // namespace
}  // namespace tarvex
