// Naming the class of an object in memory from its run-time type
// information, over a synthetic address space.
#include <gtest/gtest.h>

#include <cstring>

#include "crashreport/report/composer/machine_sections.h"
#include "crashreport/report/composer/object_class_name.h"

namespace tarvex {
namespace {

// An object at kObject whose virtual table (read-only) lies at kTable, with
// its type_info and mangled name beside it.
constexpr uint32_t kObject = 0x00800000, kRdata = 0x00500000, kTable = kRdata + 0x108;
constexpr uint32_t kTypeInfo = kRdata + 0x200, kName = kRdata + 0x300;

void Put32(BufferMemorySpace& memory, uint32_t address, uint32_t value) {
  for (int i = 0; i < 4; ++i) memory.At(address + i) = uint8_t(value >> (8 * i));
}

struct Layout {
  const char* mangled = "N3rtl13EConvertErrorE";
  uint32_t tableProtect = kPageReadOnly;
  int32_t offsetToTop = 0;
  uint32_t typeInfoTable = kRdata + 0x10;
};

BufferMemorySpace ObjectIn(const Layout& layout) {
  BufferMemorySpace memory;
  memory.Map(kRdata, std::vector<uint8_t>(0x400), layout.tableProtect);
  memory.Map(kObject, std::vector<uint8_t>(16), kPageReadWrite);
  Put32(memory, kObject, kTable);
  Put32(memory, kTable - 8, uint32_t(layout.offsetToTop));
  Put32(memory, kTable - 4, kTypeInfo);
  Put32(memory, kTypeInfo, layout.typeInfoTable);
  Put32(memory, kTypeInfo + 4, kName);
  for (size_t i = 0; i <= std::strlen(layout.mangled); ++i) memory.At(kName + uint32_t(i)) = uint8_t(layout.mangled[i]);
  return memory;
}

TEST(ObjectClassName, NamesTheClassOfAnObjectWithTypeInformation) {
  const struct {
    const char* what;
    Layout layout;
    uint32_t address;
    const char* expected;
  } cases[] = {
      {"class in a namespace", {}, kObject, "EConvertError"},
      {"class in two namespaces", {"N6tarvex3gui7TWidgetE"}, kObject, "TWidget"},
      {"class at file level", {"11TMainWindow"}, kObject, "TMainWindow"},
      {"template class", {"N3rtl4ListIiEE"}, kObject, ""},
      {"built-in type", {"i"}, kObject, ""},
      {"name longer than its text", {"20Short"}, kObject, ""},
      {"table in writable memory (heap data)", {.tableProtect = kPageReadWrite}, kObject, ""},
      {"base class part of an object", {.offsetToTop = -8}, kObject, ""},
      {"type_info without its own table", {.typeInfoTable = 0}, kObject, ""},
      {"address in no block", {}, 0x00900000, ""},
  };
  for (const auto& c : cases) {
    const BufferMemorySpace memory = ObjectIn(c.layout);
    EXPECT_EQ(ObjectClassName(memory, c.address), c.expected) << c.what;
  }
}

TEST(ObjectClassName, ANameWithoutItsEndIsNoName) {
  BufferMemorySpace memory = ObjectIn({});
  for (uint32_t at = kName; at < kRdata + 0x400; ++at) memory.At(at) = '7';
  EXPECT_EQ(ObjectClassName(memory, kObject), "");
}

TEST(ObjectClassName, TheListingNamesAnOperandThatPointsAtAnObject) {
  BufferMemorySpace memory = ObjectIn({});
  // mov eax,[kObject]; mov eax,[eax] (the fault); ret
  std::vector<uint8_t> code = {0x8B, 0x05, 0x00, 0x00, 0x80, 0x00, 0x8B, 0x00, 0xC3};
  code.resize(0x80, 0x90);
  memory.Map(0x00401000, code);
  const std::string listing = BuildAssemblerListing(&memory, 0x00401006, {}, "Assembler").listing;
  EXPECT_NE(listing.find("00401000  mov     eax, [EConvertError]"), std::string::npos) << listing;
}

}  // namespace
}  // namespace tarvex
