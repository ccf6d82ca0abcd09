// The crash reporter data of real modules under Wine: a VXDATA resource, data
// appended to the file, damaged files, and the program as shipped (the
// modules are built by tests/base/embedded_data/CMakeLists.txt).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <iterator>
#include <string>
#include <vector>

#include "crashreport/callstack/debuginfo/data_key.h"
#include "crashreport/callstack/debuginfo/data_key_win.h"
#include "crashreport/callstack/modules/module_options.h"
#include "crashreport/base/embedded_data/module_container_win.h"
#include "crashreport/callstack/modules/modules_win.h"

namespace {

using namespace tarvex;
using Bytes = std::vector<uint8_t>;

// The key given to vx_embed_data for this test program.
constexpr char kOwnKey[] = R"(module data test \ "quoted")";

uint32_t AsHandle(HMODULE module) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module)); }

// The container appended to a file (read as for a module without a VXDATA resource).
std::optional<EmbeddedData> AppendedData(const std::string& path) {
  return ReadModuleContainer(AsHandle(GetModuleHandleA("kernel32.dll")), path);
}

std::string OwnPath() {
  char path[MAX_PATH + 1];
  return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

// A file beside this test program.
std::string Beside(const std::string& name) {
  const std::string own = OwnPath();
  return own.substr(0, own.find_last_of('\\') + 1) + name;
}

Bytes FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::string& name) : path_(Beside(name)), module_(LoadLibraryA(path_.c_str())) {}
  ~LoadedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  uint32_t Handle() const { return AsHandle(module_); }
  const std::string& Path() const { return path_; }
  uint32_t Probe() const {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetProcAddress(module_, "DataModuleProbe")));
  }

 private:
  std::string path_;
  HMODULE module_;
};

TEST(ModuleData, AResourceIsReadBeforeTheDataAppendedToTheFile) {
  const LoadedLibrary library("data_resource_module.dll");
  ASSERT_NE(library.Handle(), 0u) << library.Path();
  const auto data = ReadModuleContainer(library.Handle(), library.Path());
  ASSERT_TRUE(data);
  EXPECT_EQ(data->optionStream, FileBytes(Beside("resource_options.bin")));
  EXPECT_TRUE(data->debugInfo.empty());  // the resource holds options only

  const auto appended = AppendedData(library.Path());
  ASSERT_TRUE(appended);  // present, but the resource wins
  EXPECT_EQ(appended->optionStream, FileBytes(Beside("appended_options.bin")));
  EXPECT_FALSE(appended->debugInfo.empty());
}

TEST(ModuleData, AResourceWithAWrongMagicMeansNoData) {
  const LoadedLibrary library("bad_resource_module.dll");
  ASSERT_NE(library.Handle(), 0u) << library.Path();
  EXPECT_FALSE(ReadModuleContainer(library.Handle(), library.Path()));
  EXPECT_TRUE(AppendedData(library.Path()));
}

TEST(ModuleData, TheProgramReadsItsOwnAppendedDataAndKey) {
  const uint32_t own = AsHandle(GetModuleHandleA(nullptr));
  const auto data = ReadModuleContainer(own, OwnPath());
  ASSERT_TRUE(data);
  EXPECT_EQ(data->version, kTarvexDataVersion);
  EXPECT_EQ(data->optionStream, FileBytes(Beside("appended_options.bin")));
  EXPECT_EQ(ModuleDataKey(own), kOwnKey);
  bool valid = false;
  EXPECT_GT(LineTableOfBlock(data->debugInfo, ModuleDataKey(own), valid).size(), 100u);
  EXPECT_TRUE(valid);

  const LoadedLibrary library("data_resource_module.dll");  // built without a key
  EXPECT_EQ(ModuleDataKey(library.Handle()), "");
  EXPECT_EQ(ModuleDataKey(AsHandle(GetModuleHandleA("kernel32.dll"))), "");
}

TEST(ModuleData, ADamagedOrCutTailMeansNoData) {
  const Bytes module = FileBytes(OwnPath());
  ASSERT_GT(module.size(), 16u);
  const size_t trailer = module.size() - 8;
  const uint32_t length = module[trailer] | module[trailer + 1] << 8 | module[trailer + 2] << 16 | uint32_t(module[trailer + 3]) << 24;
  ASSERT_LE(length, trailer);
  const size_t container = trailer - length;
  const struct {
    const char* what;
    std::function<void(Bytes&)> damage;
    bool readable;
  } cases[] = {
      {"unchanged", [](Bytes&) {}, true},
      {"wrong magic", [&](Bytes& b) { b[container] ^= 0x40; }, false},
      {"cut by one byte", [](Bytes& b) { b.pop_back(); }, false},
      {"cut inside the container", [&](Bytes& b) { b.erase(b.begin() + container + 20, b.begin() + container + 30); }, false},
      {"length beyond the file", [&](Bytes& b) { b[trailer + 3] = 0x7F; }, false},
      {"length of the whole file", [&](Bytes& b) { b[trailer] = uint8_t(trailer), b[trailer + 1] = uint8_t(trailer >> 8), b[trailer + 2] = uint8_t(trailer >> 16), b[trailer + 3] = uint8_t(trailer >> 24); }, false},
      {"the trailer alone", [&](Bytes& b) { b.erase(b.begin(), b.begin() + trailer); }, false},
      {"shorter than a trailer", [](Bytes& b) { b.resize(5); }, false},
      {"empty", [](Bytes& b) { b.clear(); }, false},
  };
  const std::string path = (std::filesystem::path(testing::TempDir()) / "vx_module_data.exe").string();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bytes = module;
    c.damage(bytes);
    WriteBytes(path, bytes);
    EXPECT_EQ(AppendedData(path).has_value(), c.readable);
  }
  std::filesystem::remove(path);
  EXPECT_FALSE(AppendedData(path));  // no file
}

TEST(ModuleData, ZorvikCalcCarriesItsOptionsAndLineTable) {
  const auto data = AppendedData(Beside("..\\..\\..\\app\\ZorvikCalc.exe"));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->optionStream, FileBytes(Beside("zorvik_options.bin")));
  bool valid = false;
  EXPECT_GT(LineTableOfBlock(data->debugInfo, VX_ZORVIK_DATA_KEY, valid).size(), 1000u);
  EXPECT_TRUE(valid);
}

TEST(ModuleData, ALibrarysRecordTakesItsResourceData) {
  const LoadedLibrary library("data_resource_module.dll");
  const auto data = ReadModuleContainer(library.Handle(), library.Path());
  ASSERT_TRUE(data);
  const TTarvexModuleInfo* module = FindModuleInfo(library.Probe());
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->Handle, library.Handle());
  EXPECT_EQ(module->DebugVersion, data->version);
  EXPECT_TRUE(std::equal(data->buildInfo.begin(), data->buildInfo.end(), module->DebugHeader));
  EXPECT_NE(data->buildInfo, decltype(data->buildInfo){});
  EXPECT_TRUE(module->LineInfo.empty());
  EXPECT_EQ(module->DataValid, 1);
}

}  // namespace
