// The DNS query that asks for the mail exchangers of a domain.
//
// Query layout (all 16-bit values big-endian):
//   offset 0   2  identifier (random per query; the answer must repeat it)
//          2   2  flags 0x0100: standard query, recursion desired
//          4   2  question count 1
//          6   6  answer, authority and additional counts 0
//         12   n  the domain name: per dot-separated label a length byte
//                 (1..63) and the label's bytes
//       12+n   1  0, end of the name
//       13+n   2  question type 15 (MX)
//       15+n   2  question class 1 (IN)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

inline constexpr uint16_t kDnsTypeMx = 15;
inline constexpr uint16_t kDnsClassIn = 1;
inline constexpr size_t kDnsHeaderSize = 12;
inline constexpr size_t kDnsMaxLabel = 63;
inline constexpr size_t kDnsMaxName = 253;  // dotted text, without a final dot

// The domain of an e-mail address: the text after its first at sign, or the
// whole text when there is none.
std::string_view MailDomain(std::string_view address);

// The MX query for `domain` with identifier `id`; nothing when the domain
// cannot be written as a name (an empty label, a label over 63 bytes, a
// name over 253). One final dot is allowed ("example.test.").
std::optional<std::vector<uint8_t>> BuildMxQuery(std::string_view domain, uint16_t id);

}  // namespace tarvex
