// The export reader against the cross binutils' objdump over Wine's i686
// system libraries, laid out page by page as the loader maps them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "crashreport/callstack/modules/exported_functions.h"
#include "crashreport/callstack/pe/pe_file.h"
#include "tests/callstack/oracle_support.h"

namespace {

using namespace tarvex;

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The headers and every section, each rounded up to whole pages.
uint32_t MapPages(const std::vector<uint8_t>& file, BufferMemorySpace& memory) {
  const PeLayout layout = ReadPeLayout(file);
  memory.Map(layout.imageBase, std::vector<uint8_t>(file.begin(), file.begin() + std::min<size_t>(file.size(), 0x1000)),
             kPageReadOnly);
  for (const PeSection& section : layout.sections) {
    std::vector<uint8_t> bytes((std::max(section.virtualSize, section.fileSize) + 0xFFF) & ~0xFFFu);
    std::copy_n(file.begin() + section.fileOffset, section.fileSize, bytes.begin());
    if (!bytes.empty()) memory.Map(layout.imageBase + section.virtualAddress, std::move(bytes));
  }
  return layout.imageBase;
}

// objdump's view: each name with its function entry, forwarders by entry.
struct ObjdumpExports {
  std::map<std::string, uint32_t> entries;  // name -> module-relative address, or 0 for a forwarder
};

ObjdumpExports Objdump(const std::string& path) {
  ObjdumpExports exports;
  FILE* pipe = popen((std::string(VX_OBJDUMP) + " -p '" + path + "'").c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  std::map<uint32_t, uint32_t> functions;  // entry index -> address (0: forwarder)
  enum { kOther, kFunctions, kNames } part = kOther;
  char buffer[4096];
  while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe)) {
    const std::string line(buffer);
    if (line.starts_with("Export Address Table -- Ordinal Base")) part = kFunctions;
    else if (line.starts_with("[Ordinal/Name Pointer] Table")) part = kNames;
    else if (line.find_first_not_of(" \t\r\n") == std::string::npos) part = kOther;
    else if (part != kOther) {
      unsigned index = 0, rva = 0;
      char name[1024] = {};
      if (part == kFunctions && std::sscanf(line.c_str(), " [%u] +base[%*u] %x", &index, &rva) == 2)
        functions[index] = line.find("Forwarder RVA") != std::string::npos ? 0 : rva;
      if (part == kNames && std::sscanf(line.c_str(), " [%u] %1023s", &index, name) == 2)
        exports.entries[name] = functions.at(index);
    }
  }
  if (pipe != nullptr) pclose(pipe);
  return exports;
}

class RecordingResolver : public ForwardedExportResolver {
 public:
  uint32_t Resolve(uint32_t, const std::string& name) const override {
    forwarded.insert(name);
    return 0x7F000000;
  }
  mutable std::set<std::string> forwarded;
};

TEST(ExportedFunctionsOracle, NamesAddressesAndForwardersAgreeWithObjdump) {
  size_t modules = 0;
  for (const char* library : {"kernel32.dll", "ntdll.dll", "user32.dll", "msvcrt.dll"}) {
    const std::string path = std::string(testsupport::kWineDlls) + "/" + library;
    if (!std::filesystem::exists(path)) continue;
    SCOPED_TRACE(library);
    ++modules;
    BufferMemorySpace memory;
    const uint32_t base = MapPages(FileBytes(path), memory);
    TTarvexFunctionsList list;
    const RecordingResolver resolver;
    ASSERT_TRUE(ReadExportedFunctions(memory, base, list, resolver, ExportStubs::Keep));

    const ObjdumpExports expected = Objdump(path);
    ASSERT_GT(expected.entries.size(), 100u);
    ASSERT_EQ(list.size(), expected.entries.size());
    std::set<std::string> forwarders;
    for (size_t i = 0; i < list.size(); ++i) {
      const auto it = expected.entries.find(list[i].Name);
      ASSERT_NE(it, expected.entries.end()) << list[i].Name;
      if (it->second == 0) {
        forwarders.insert(list[i].Name);
        EXPECT_EQ(list[i].Address, 0x7F000000u) << list[i].Name;
      } else {
        EXPECT_EQ(list[i].Address, base + it->second) << list[i].Name;
      }
      if (i > 0) {
        EXPECT_LE(list[i - 1].Address, list[i].Address);
      }
    }
    EXPECT_EQ(resolver.forwarded, forwarders);
  }
  if (modules == 0) GTEST_SKIP() << "Wine's system libraries are not installed";
}

}  // namespace
