#include "crashreport/delivery/outcome/recipients.h"

#include "crashreport/base/util/text_case.h"

namespace tarvex {

std::vector<std::string> SplitRecipients(std::string_view recipients) {
  std::vector<std::string> addresses;
  for (;;) {
    const size_t separator = recipients.find_first_of(",;");
    const std::string_view address = TrimText(recipients.substr(0, separator));
    if (!address.empty()) addresses.emplace_back(address);
    if (separator == std::string_view::npos) return addresses;
    recipients.remove_prefix(separator + 1);
  }
}

}  // namespace tarvex
