#include "crashreport/delivery/dns/dns_name.h"

#include "crashreport/delivery/dns/mx_query.h"

namespace tarvex {

std::optional<DnsName> ReadDnsName(std::span<const uint8_t> message, size_t offset) {
  DnsName name;
  bool jumped = false;
  size_t position = offset;
  for (;;) {
    if (position >= message.size()) return std::nullopt;
    const uint8_t length = message[position];
    if (length == 0) {
      if (!jumped) name.Next = position + 1;
      break;
    }
    if ((length & 0xC0) == 0xC0) {
      if (position + 1 >= message.size()) return std::nullopt;
      const size_t target = size_t(length & 0x3F) << 8 | message[position + 1];
      // Every pointer must go back before itself: a chain of them then ends.
      if (target >= position) return std::nullopt;
      if (!jumped) name.Next = position + 2;
      jumped = true;
      position = target;
      continue;
    }
    if (length & 0xC0) return std::nullopt;
    if (position + 1 + length > message.size()) return std::nullopt;
    if (!name.Text.empty()) name.Text += '.';
    name.Text.append(reinterpret_cast<const char*>(&message[position + 1]), length);
    if (name.Text.size() > kDnsMaxName) return std::nullopt;
    position += 1 + length;
  }
  return name;
}

}  // namespace tarvex
