// Helpers for the options tests: a byte builder for hand-made stream fixtures,
// options that count their change notifications, shared blocks in memory.
#pragma once

#include <map>
#include <string_view>

#include "crashreport/base/options/option_stream.h"
#include "crashreport/base/options/options.h"
#include "crashreport/base/options/options_ex.h"

namespace options_test {

class Fixture {
 public:
  Fixture& u8(uint8_t v) { return out_.WriteU8(v), *this; }
  Fixture& u16(uint16_t v) { return out_.WriteU16(v), *this; }
  Fixture& i32(int32_t v) { return out_.WriteI32(v), *this; }
  Fixture& bytes(std::initializer_list<uint8_t> v) { return out_.WriteBytes(std::vector<uint8_t>(v)), *this; }
  Fixture& str(std::string_view s) { return tarvex::WriteOptionString(out_, s), *this; }
  // `count` stored texts "T0", "T1", ...
  Fixture& texts(int count) {
    for (int i = 0; i < count; ++i) str("T" + std::to_string(i));
    return *this;
  }
  const std::vector<uint8_t>& Bytes() const { return out_.Bytes(); }

 private:
  rtl::ByteWriter out_;
};

class CountingOptions : public tarvex::TTarvexModuleOptions {
 public:
  using TTarvexModuleOptions::TTarvexModuleOptions;
  void NotifyChanged() override { ++notifications; }
  int notifications = 0;
};

// Shared blocks kept in this process's memory, with the same contract as the
// named sections of the Windows build.
class MemoryBlocks : public tarvex::SharedBlocks {
 public:
  uint32_t ProcessId() const override { return 0x1A2B; }
  bool Publish(const std::string& name, std::span<const uint8_t> data) override {
    blocks[name].assign(data.begin(), data.end());
    ++publications;
    return true;
  }
  std::optional<std::vector<uint8_t>> Read(const std::string& name) const override {
    const auto found = blocks.find(name);
    if (found == blocks.end()) return std::nullopt;
    return found->second;
  }
  void Remove(const std::string& name) override { blocks.erase(name); }
  std::map<std::string, std::vector<uint8_t>> blocks;
  int publications = 0;
};

}  // namespace options_test
