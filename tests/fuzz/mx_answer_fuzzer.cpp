// libFuzzer target: any datagram given to the MX answer reader, read as an
// answer to the query whose identifier is its own first two bytes. The reader
// must stay inside the message and end (compression pointers included); a
// host it finds is a readable name of at most 253 characters, and a name read
// anywhere ends inside the message.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "crashreport/delivery/dns/dns_name.h"
#include "crashreport/delivery/dns/mx_answer.h"
#include "crashreport/delivery/dns/mx_query.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> message(data, size);
  const uint16_t id = size >= 2 ? static_cast<uint16_t>(data[0] << 8 | data[1]) : 0;
  const tarvex::MxAnswer answer = tarvex::ReadMxAnswer(message, id);
  if (answer.Kind == tarvex::MxAnswerKind::kFound)
    Check(!answer.Host.empty() && answer.Host.size() <= tarvex::kDnsMaxName);
  else
    Check(answer.Host.empty());
  for (size_t offset = 0; offset < size && offset < 512; ++offset) {
    const auto name = tarvex::ReadDnsName(message, offset);
    if (name) Check(name->Text.size() <= tarvex::kDnsMaxName && name->Next > offset && name->Next <= size);
  }
  return 0;
}
