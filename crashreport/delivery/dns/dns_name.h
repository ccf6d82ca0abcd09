// Reading a domain name from a DNS message.
//
// A name is a run of labels, each a length byte (0..63) and that many bytes,
// ended by a zero byte or by a compression pointer: two bytes 11pppppp
// pppppppp naming the offset (from the message start) where the rest of the
// name continues. Length bytes 01xxxxxx and 10xxxxxx are reserved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarvex {

struct DnsName {
  std::string Text;  // labels joined by ".", no final dot; empty for the root
  size_t Next = 0;   // offset after the name where it was met (after its first pointer, if any)
};

// The name at `offset` of `message`; nothing when it is unreadable: a label
// or pointer past the end, a reserved length byte, a name over 253
// characters, or a pointer that does not lead strictly backwards (so no
// chain of pointers can loop).
std::optional<DnsName> ReadDnsName(std::span<const uint8_t> message, size_t offset);

}  // namespace tarvex
