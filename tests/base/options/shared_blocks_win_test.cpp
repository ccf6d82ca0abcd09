// Options published to the process's named shared memory and read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "crashreport/base/options/options_ex.h"

namespace {

using namespace tarvex;

uint32_t ProgramHandle() { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))); }

// A section made directly with the system, holding `size` in its size field.
class RawSection {
 public:
  RawSection(const std::string& name, DWORD bytes, uint32_t size)
      : section_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, name.c_str())) {
    void* view = MapViewOfFile(section_, FILE_MAP_WRITE, 0, 0, 0);
    std::memcpy(view, &size, sizeof size);
    UnmapViewOfFile(view);
  }
  ~RawSection() { CloseHandle(section_); }

 private:
  HANDLE section_;
};

// What another module sees: the block opened by name with the system, as
// size field and the bytes after it, plus the size of the mapped view.
struct SeenBlock {
  uint32_t size = 0;
  std::vector<uint8_t> data;
  size_t viewBytes = 0;
};
std::optional<SeenBlock> OpenWithTheSystem(const std::string& name) {
  const HANDLE section = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
  if (!section) return std::nullopt;
  const auto* view = static_cast<const uint8_t*>(MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0));
  MEMORY_BASIC_INFORMATION region{};
  VirtualQuery(view, &region, sizeof region);
  SeenBlock block;
  std::memcpy(&block.size, view, 4);
  block.data.assign(view + 4, view + 4 + block.size);
  block.viewBytes = region.RegionSize;
  UnmapViewOfFile(view);
  CloseHandle(section);
  return block;
}

class SharedOptions : public ::testing::Test {
 protected:
  void SetUp() override { SetRunningModuleHandle(ProgramHandle()); }
  void TearDown() override { SetRunningModuleHandle(0); }
};

TEST_F(SharedOptions, PublishedOptionsReloadIntoAnotherObjectOfTheModule) {
  TTarvexModuleOptionsEx published("App.exe", ProgramHandle(), ProcessSharedBlocks());
  {
    OptionsUpdate update(published);
    published.SetMailServer("smtp.example.test");
    published.SetSendFlags(0x0312);
    published.SetFreezeSeconds(17);
    published.SetText(mtEncounteredProblem, "Something broke.");
    published.Filters().Add(TTarvexExceptionFilter{true, "EAbort", "quiet", fsAnyException, fdNone, fhIgnore, faNone});
  }
  const std::string name = SharedOptionsName(GetCurrentProcessId(), ProgramHandle());
  const auto seen = OpenWithTheSystem(name);
  ASSERT_TRUE(seen) << "no section named " << name;
  rtl::ByteWriter stream;
  stream.WriteU8(1);
  published.WriteToStream(stream);
  EXPECT_EQ(seen->data, stream.Bytes());

  TTarvexModuleOptionsEx reloaded("App.exe", ProgramHandle(), ProcessSharedBlocks());
  ASSERT_FALSE(reloaded.SameOptionsAs(published));
  reloaded.ReloadShared();
  EXPECT_TRUE(reloaded.SameOptionsAs(published));
  EXPECT_EQ(reloaded.Filters().Count(), 1);
}

TEST_F(SharedOptions, PublishingAgainReplacesTheBlock) {
  SharedBlocks& blocks = ProcessSharedBlocks();
  const std::string name = "VxReplaced" + std::to_string(GetCurrentProcessId());
  const std::vector<uint8_t> large(100000, 0xAB);
  ASSERT_TRUE(blocks.Publish(name, large));
  EXPECT_EQ(blocks.Read(name), large);
  const std::vector<uint8_t> small = {1, 2, 3};
  ASSERT_TRUE(blocks.Publish(name, small));
  EXPECT_EQ(blocks.Read(name), small);
  const auto seen = OpenWithTheSystem(name);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->size, 3u);
  EXPECT_LT(seen->viewBytes, large.size()) << "the large section was not dropped";
  ASSERT_TRUE(blocks.Publish(name, {}));
  EXPECT_EQ(blocks.Read(name), std::vector<uint8_t>());
}

TEST_F(SharedOptions, ASizeFieldBeyondTheSectionReadsAsNoBlock) {
  SharedBlocks& blocks = ProcessSharedBlocks();
  const std::string prefix = "VxRaw" + std::to_string(GetCurrentProcessId()) + "_";
  EXPECT_FALSE(blocks.Read(prefix + "missing"));
  struct Case {
    uint32_t size;
    bool readable;
  };
  const Case cases[] = {{60, true}, {0, true}, {0x10000, false}, {0xFFFFFFFF, false}, {0xFFFFFFFC, false}};
  for (const Case& c : cases) {
    const std::string name = prefix + std::to_string(c.size);
    const RawSection section(name, 64, c.size);
    const auto data = blocks.Read(name);
    ASSERT_EQ(data.has_value(), c.readable) << c.size;
    if (data) {
      EXPECT_EQ(data->size(), c.size);
    }
  }
}

TEST_F(SharedOptions, ReloadKeepsTheOptionsWhenTheBlockIsForeign) {
  const uint32_t library = 0x10000000;  // not a module of this process: nothing publishes it
  const RawSection section(SharedOptionsName(GetCurrentProcessId(), library), 16, 0x7FFFFFFF);
  TTarvexModuleOptionsEx options("Lib.dll", library, ProcessSharedBlocks());
  options.SetMailServer("kept");
  options.ReloadShared();
  EXPECT_EQ(options.MailServer(), "kept");
}

}  // namespace
