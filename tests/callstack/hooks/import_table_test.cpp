#include "crashreport/callstack/hooks/import_table.h"

#include <gtest/gtest.h>

#include "tests/callstack/hooks/synthetic_image.h"

namespace {

using namespace tarvex;
using testsupport::BuildSyntheticImage;

constexpr uint32_t kBase = 0x10000000;
constexpr uint32_t kRoutine = 0x7C801234, kOther = 0x7C805678;

TEST(ImportTable, FindsEveryEntryOfTheRoutineInDescriptorsOfThatModule) {
  const auto image = BuildSyntheticImage({{"KERNEL32.dll", {kRoutine, kOther, kRoutine}},
                                          {"user32.dll", {kRoutine}},
                                          {"kernel32.DLL", {kOther, kRoutine}}});
  BufferMemorySpace memory;
  memory.Map(kBase, image.bytes, kPageReadOnly);

  std::vector<uint32_t> slots;
  ASSERT_EQ(FindImportSlots(memory, kBase, "Kernel32.dll", kRoutine, slots), ImportScan::kScanned);
  EXPECT_EQ(slots, (std::vector<uint32_t>{kBase + image.tables[0][0], kBase + image.tables[0][2],
                                          kBase + image.tables[2][1]}));

  slots.clear();
  EXPECT_EQ(FindImportSlots(memory, kBase, "kernel32.dll", 0x12345678, slots), ImportScan::kScanned);
  EXPECT_TRUE(slots.empty()) << "routine not imported";
  EXPECT_EQ(FindImportSlots(memory, kBase, "gdi32.dll", kRoutine, slots), ImportScan::kScanned);
  EXPECT_TRUE(slots.empty()) << "module not imported";
  EXPECT_EQ(FindImportSlots(memory, kBase, "kernel32", kRoutine, slots), ImportScan::kScanned);
  EXPECT_TRUE(slots.empty()) << "names compare whole";
}

TEST(ImportTable, TellsMissingImportDirectoryFromBadHeaders) {
  const auto image = BuildSyntheticImage({{"kernel32.dll", {kRoutine}}});
  struct Case {
    const char* what;
    uint32_t offset;  // byte to damage, or 0
    uint8_t value;
    size_t mappedSize;
    ImportScan expected;
  };
  const Case cases[] = {
      {"intact", 0, 0, 0x1000, ImportScan::kScanned},
      {"no MZ", 1, 'X', 0x1000, ImportScan::kBadImage},
      {"no PE signature", 0x42, 'X', 0x1000, ImportScan::kBadImage},
      {"NT headers beyond the readable image", 0x3D, 0x10, 0x1000, ImportScan::kBadImage},
      {"headers cut short", 0, 0, 0x40 + 247, ImportScan::kBadImage},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes(image.bytes.begin(), image.bytes.begin() + c.mappedSize);
    if (c.offset) bytes[c.offset] = c.value;
    BufferMemorySpace memory;
    memory.Map(kBase, bytes, kPageReadOnly);
    std::vector<uint32_t> slots;
    EXPECT_EQ(FindImportSlots(memory, kBase, "kernel32.dll", kRoutine, slots), c.expected) << c.what;
  }

  BufferMemorySpace memory;
  memory.Map(kBase, BuildSyntheticImage({}).bytes, kPageReadOnly);
  std::vector<uint32_t> slots;
  EXPECT_EQ(FindImportSlots(memory, kBase, "kernel32.dll", kRoutine, slots), ImportScan::kNoImportDirectory);
  EXPECT_EQ(FindImportSlots(memory, 0x20000000, "kernel32.dll", kRoutine, slots), ImportScan::kBadImage)
      << "nothing mapped";
}

}  // namespace
