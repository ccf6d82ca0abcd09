// Reading the mail exchanger from the answer to an MX query.
//
// Answer layout (16-bit and 32-bit values big-endian):
//   header   offset 0  2  identifier, as sent in the query
//                   2  2  flags: bit 15 response, bits 11-14 opcode (0),
//                         bits 0-3 response code (0 no error, 3 no such name)
//                   4  2  question count
//                   6  2  answer count
//                   8  4  authority and additional counts (not read)
//   questions  from 12: name, type (2), class (2)
//   answers    each:    owner name, type (2), class (2), time to live (4),
//                       data length (2), data; for type 15 the data is a
//                       preference (2) and the exchange's name
// Names may be compressed (dns_name.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tarvex {

enum class MxAnswerKind {
  kNotOurs,  // not an answer to the query with this identifier: keep listening
  kNoHost,   // our answer, without a usable mail exchanger
  kFound,
};

struct MxAnswer {
  MxAnswerKind Kind = MxAnswerKind::kNotOurs;
  std::string Host;  // with kFound: the exchange of the lowest preference
};

// Walks every answer record and takes MX records of class IN only, the
// lowest preference winning (the first among equals). An error response
// code, a record or name past the end of the message, or an unreadable name
// gives kNoHost.
MxAnswer ReadMxAnswer(std::span<const uint8_t> message, uint16_t expectedId);

}  // namespace tarvex
