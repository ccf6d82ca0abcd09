// Helpers for the options tests: a byte builder for hand-made stream fixtures
// and options that count their change notifications.
#pragma once

#include <string_view>

#include "crashreport/core/options/option_stream.h"
#include "crashreport/core/options/options.h"

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

}  // namespace options_test
