#include "crashreport/callstack/modules/exported_functions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace tarvex;

// A loaded image at kHandle: headers, code at 0x1000..0x2000, data at
// 0x2000..0x3000, the export area at 0x3000..0x4000 (directory, function
// table at 0x3100, name table at 0x3300, ordinal table at 0x3500, names from
// 0x3600). A function entry inside the export area is a forwarder.
constexpr uint32_t kHandle = 0x10000000;
constexpr uint32_t kCodeStart = 0x1000, kCodeSize = 0x1000;
constexpr uint32_t kExportArea = 0x3000, kExportAreaSize = 0x1000;
constexpr uint32_t kFunctionTable = 0x3100, kNameTable = 0x3300, kOrdinalTable = 0x3500, kNameText = 0x3600;
constexpr uint32_t kForwarder = 0x3080;  // "OTHER.Target"

struct ExportTable {
  std::vector<uint32_t> functions;    // module-relative addresses by function index
  std::vector<std::string> names;
  std::vector<uint16_t> ordinals;     // function index of each name
  uint32_t functionCount = 0xFFFFFFFF;  // stored counts; all-ones: the table sizes
  uint32_t nameCount = 0xFFFFFFFF;
};

std::vector<uint8_t> ImageWith(const ExportTable& table) {
  std::vector<uint8_t> image(0x4000, 0xCC);
  auto put16 = [&](uint32_t at, uint16_t v) { std::memcpy(&image[at], &v, 2); };
  auto put32 = [&](uint32_t at, uint32_t v) { std::memcpy(&image[at], &v, 4); };
  std::memset(image.data(), 0, 0x1000);
  put16(0, 0x5A4D);
  put32(0x3C, 0x40);
  put32(0x40, 0x4550);
  put16(0x44, 0x14C);
  put16(0x54, 0xE0);  // optional header size
  put16(0x56, 0x2102);  // a library
  const uint32_t optional = 0x58;
  put16(optional, 0x10B);
  put32(optional + 4, kCodeSize);
  put32(optional + 20, kCodeStart);
  put32(optional + 28, kHandle);
  put32(optional + 92, 16);  // data directories
  put32(optional + 96, kExportArea);
  put32(optional + 100, kExportAreaSize);

  std::memset(&image[kExportArea], 0, kExportAreaSize);
  put32(kExportArea + 0x14, table.functionCount == 0xFFFFFFFF ? uint32_t(table.functions.size()) : table.functionCount);
  put32(kExportArea + 0x18, table.nameCount == 0xFFFFFFFF ? uint32_t(table.names.size()) : table.nameCount);
  put32(kExportArea + 0x1C, kFunctionTable);
  put32(kExportArea + 0x20, kNameTable);
  put32(kExportArea + 0x24, kOrdinalTable);
  std::memcpy(&image[kForwarder], "OTHER.Target", 13);
  for (size_t i = 0; i < table.functions.size(); ++i) put32(kFunctionTable + 4 * uint32_t(i), table.functions[i]);
  uint32_t text = kNameText;
  for (size_t i = 0; i < table.names.size(); ++i) {
    put32(kNameTable + 4 * uint32_t(i), text);
    put16(kOrdinalTable + 2 * uint32_t(i), i < table.ordinals.size() ? table.ordinals[i] : uint16_t(i));
    std::memcpy(&image[text], table.names[i].c_str(), table.names[i].size() + 1);
    text += uint32_t(table.names[i].size()) + 1;
  }
  return image;
}

// Resolves forwarders from a fixed table and records what it was asked.
class FixedResolver : public ForwardedExportResolver {
 public:
  explicit FixedResolver(std::map<std::string, uint32_t> targets) : targets_(std::move(targets)) {}
  uint32_t Resolve(uint32_t handle, const std::string& name) const override {
    asked.push_back(name);
    EXPECT_EQ(handle, kHandle);
    auto it = targets_.find(name);
    return it == targets_.end() ? 0 : it->second;
  }
  mutable std::vector<std::string> asked;

 private:
  std::map<std::string, uint32_t> targets_;
};

struct Read {
  bool ok = false;
  std::vector<TTarvexFunctionInfo> functions;
};

Read ReadFrom(const BufferMemorySpace& memory, const ForwardedExportResolver& resolver = FixedResolver({}),
              ExportStubs stubs = ExportStubs::Keep) {
  TTarvexFunctionsList list;
  Read read;
  read.ok = ReadExportedFunctions(memory, kHandle, list, resolver, stubs);
  for (size_t i = 0; i < list.size(); ++i) read.functions.push_back(list[i]);
  return read;
}

// The image mapped whole, or only its first `mapped` bytes.
Read ReadImage(const std::vector<uint8_t>& image, size_t mapped = 0x4000,
               const ForwardedExportResolver& resolver = FixedResolver({}), ExportStubs stubs = ExportStubs::Keep) {
  BufferMemorySpace memory;
  memory.Map(kHandle, std::vector<uint8_t>(image.begin(), image.begin() + mapped));
  return ReadFrom(memory, resolver, stubs);
}

std::string Describe(const Read& read) {
  std::string text;
  for (const auto& f : read.functions) text += f.Name + "@" + std::to_string(f.Address - kHandle) + "/" + std::to_string(f.Size) + " ";
  return text;
}

TEST(ReadExportedFunctions, ListsNamedExportsByAddressWithSizeOneBelowTheCode) {
  ExportTable table;
  table.functions = {0x1800, 0x1100, 0x0800, 0x2100, 0x1100};
  table.names = {"Zeta", "Alpha", "InHeader", "InData", "AlphaAlias", "Middle"};
  table.ordinals = {0, 1, 2, 3, 4, 0};
  table.functionCount = 5;
  table.nameCount = 5;  // "Middle" is past the stored count
  const Read read = ReadImage(ImageWith(table));
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(Describe(read), "InHeader@2048/1 Alpha@4352/0 AlphaAlias@4352/0 Zeta@6144/0 InData@8448/0 ");
}

TEST(ReadExportedFunctions, UsesTheSmallerOfTheFunctionAndNameCounts) {
  const struct {
    uint32_t functionCount, nameCount;
    size_t listed;
  } cases[] = {{4, 4, 4}, {2, 4, 2}, {4, 3, 3}, {0, 4, 0}, {4, 0, 0}};
  ExportTable table;
  table.functions = {0x1010, 0x1020, 0x1030, 0x1040};
  table.names = {"A", "B", "C", "D"};
  table.ordinals = {0, 1, 0, 1};  // names past two reach only the first two functions
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.functionCount) + "/" + std::to_string(c.nameCount));
    table.functionCount = c.functionCount;
    table.nameCount = c.nameCount;
    EXPECT_EQ(ReadImage(ImageWith(table)).functions.size(), c.listed);
  }
}

TEST(ReadExportedFunctions, ResolvesForwardersAndDropsThoseThatLeadNowhere) {
  ExportTable table;
  table.functions = {0x1200, kForwarder, kForwarder};
  table.names = {"Own", "Forwarded", "Dangling"};
  const FixedResolver resolver({{"Forwarded", 0x7BC01234}});
  const Read read = ReadImage(ImageWith(table), 0x4000, resolver);
  EXPECT_EQ(resolver.asked, (std::vector<std::string>{"Forwarded", "Dangling"}));
  ASSERT_EQ(read.functions.size(), 2u);
  EXPECT_EQ(read.functions[1].Name, "Forwarded");
  EXPECT_EQ(read.functions[1].Address, 0x7BC01234u);
  EXPECT_EQ(read.functions[1].Size, 0u);
}

TEST(ReadExportedFunctions, FollowsPushJumpStubsOnlyWhenAsked) {
  std::vector<uint8_t> image = ImageWith({{0x1300, 0x1400}, {"Stub", "NotAStub"}, {}});
  const uint8_t stub[] = {0x68, 0x78, 0x56, 0x34, 0x12, 0xE9, 0, 0, 0, 0};
  std::memcpy(&image[0x1300], stub, sizeof stub);
  std::memcpy(&image[0x1400], stub, sizeof stub);
  image[0x1405] = 0xEB;  // a short jump: not the system's stub
  const Read kept = ReadImage(image);
  const Read followed = ReadImage(image, 0x4000, FixedResolver({}), ExportStubs::Windows9x);
  ASSERT_EQ(kept.functions.size(), 2u);
  EXPECT_EQ(kept.functions[0].Address, kHandle + 0x1300);
  ASSERT_EQ(followed.functions.size(), 2u);
  EXPECT_EQ(followed.functions[0].Name, "NotAStub");
  EXPECT_EQ(followed.functions[0].Address, kHandle + 0x1400);
  EXPECT_EQ(followed.functions[1].Name, "Stub");
  EXPECT_EQ(followed.functions[1].Address, 0x12345678u);
}

TEST(ReadExportedFunctions, SkipsEntriesOutsideTheirTables) {
  ExportTable table;
  table.functions = {0x1010, 0x1020};
  table.names = {"Good", "BadOrdinal", "BadName", "Last"};
  table.ordinals = {0, 7, 1, 1};
  table.functionCount = 4;  // more than the table holds: entries 2 and 3 are zero
  std::vector<uint8_t> image = ImageWith(table);
  const uint32_t badName = 0x00F00000;  // unmapped
  std::memcpy(&image[kNameTable + 8], &badName, 4);
  EXPECT_EQ(Describe(ReadImage(image)), "Good@4112/0 Last@4128/0 ");
}

TEST(ReadExportedFunctions, TruncatedOrCorruptTablesEndTheListWithoutFaulting) {
  ExportTable table;
  for (int i = 0; i < 100; ++i) {
    table.functions.push_back(0x1000 + 16 * i);
    table.names.push_back("Function" + std::to_string(i));
  }
  const std::vector<uint8_t> image = ImageWith(table);
  const struct {
    const char* what;
    size_t mapped;
    size_t listed;
  } cuts[] = {
      {"whole", 0x4000, 100},
      {"inside the name texts", kNameText + 10 * 10 + 15, 11},  // "Function0".."Function10" fit
      {"inside the ordinal table", kOrdinalTable + 2 * 40 + 1, 0},  // the names lie beyond it too
      {"inside the directory", kExportArea + 0x20, 0},
  };
  for (const auto& cut : cuts) {
    SCOPED_TRACE(cut.what);
    const Read read = ReadImage(image, cut.mapped);
    EXPECT_EQ(read.functions.size(), cut.listed) << Describe(read);
    EXPECT_EQ(read.ok, cut.mapped >= kExportArea + 40);
  }

  std::vector<uint8_t> huge = image;
  const uint32_t allOnes = 0xFFFFFFFF;
  std::memcpy(&huge[kExportArea + 0x14], &allOnes, 4);
  std::memcpy(&huge[kExportArea + 0x18], &allOnes, 4);
  const Read hugeRead = ReadImage(huge);  // the tables run on to the end of the mapping
  EXPECT_TRUE(hugeRead.ok);
  size_t genuine = 0;
  for (const auto& f : hugeRead.functions) genuine += f.Name.rfind("Function", 0) == 0;
  EXPECT_EQ(genuine, 100u);

  std::vector<uint8_t> unterminated = image;
  std::memset(&unterminated[0x3F00], 'x', 0x100);
  const uint32_t lastName = 0x3F00;
  std::memcpy(&unterminated[kNameTable + 4 * 99], &lastName, 4);
  EXPECT_EQ(ReadImage(unterminated).functions.size(), 99u);  // a name running into unmapped memory
}

TEST(ReadExportedFunctions, NeedsTheHeadersAndTheWholeCodeSection) {
  const std::vector<uint8_t> image = ImageWith({{0x1010}, {"Only"}, {}});
  BufferMemorySpace withoutCode;
  withoutCode.Map(kHandle, std::vector<uint8_t>(image.begin(), image.begin() + 0x1800));  // half the code
  withoutCode.Map(kHandle + 0x2000, std::vector<uint8_t>(image.begin() + 0x2000, image.end()));
  EXPECT_FALSE(ReadFrom(withoutCode).ok);
  EXPECT_TRUE(ReadFrom(withoutCode).functions.empty());

  std::vector<uint8_t> noExports = image;
  std::memset(&noExports[0x58 + 96], 0, 8);
  EXPECT_FALSE(ReadImage(noExports).ok);

  BufferMemorySpace shortHeader;
  shortHeader.Map(kHandle, std::vector<uint8_t>(image.begin(), image.begin() + 0x30));
  EXPECT_FALSE(ReadFrom(shortHeader).ok);
}

}  // namespace
