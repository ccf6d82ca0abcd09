// Writes DNS messages for tests: header fields, names (plain or ending in a
// compression pointer) and records, in wire order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex::testsupport {

class DnsMessageBuilder {
 public:
  DnsMessageBuilder& Header(uint16_t id, uint16_t flags, uint16_t questions, uint16_t answers) {
    U16(id).U16(flags).U16(questions).U16(answers).U16(0).U16(0);
    return *this;
  }
  // Labels of `dotted`, then a zero byte, or a pointer to `pointer` when it is set.
  DnsMessageBuilder& Name(std::string_view dotted, int pointer = -1) {
    while (!dotted.empty()) {
      const size_t dot = std::min(dotted.find('.'), dotted.size());
      bytes_.push_back(static_cast<uint8_t>(dot));
      bytes_.insert(bytes_.end(), dotted.begin(), dotted.begin() + dot);
      dotted.remove_prefix(std::min(dot + 1, dotted.size()));
    }
    if (pointer < 0) return U8(0);
    return U8(static_cast<uint8_t>(0xC0 | pointer >> 8)).U8(static_cast<uint8_t>(pointer));
  }
  DnsMessageBuilder& Question(std::string_view dotted) { return Name(dotted).U16(15).U16(1); }
  // The fixed part of a record after its owner name; `dataLength` of the data that follows.
  DnsMessageBuilder& RecordFixed(uint16_t type, uint16_t recordClass, uint16_t dataLength) {
    return U16(type).U16(recordClass).U16(0).U16(3600).U16(dataLength);
  }
  DnsMessageBuilder& U8(uint8_t value) {
    bytes_.push_back(value);
    return *this;
  }
  DnsMessageBuilder& U16(uint16_t value) { return U8(static_cast<uint8_t>(value >> 8)).U8(static_cast<uint8_t>(value)); }

  size_t Size() const { return bytes_.size(); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace tarvex::testsupport
