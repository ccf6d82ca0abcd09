#include "crashreport/dialogs/progress/progress_rules.h"

#include <algorithm>

#include "crashreport/base/options/options.h"
#include "rtl/format.h"

namespace tarvex {

bool ProgressDialogWanted(const TTarvexModuleOptions& options, bool dialogsAllowed) {
  const bool delivery = options.MailDelivery() != mdNone || options.WebDelivery() != wdNone;
  return dialogsAllowed && delivery && (options.SendFlags() & sfShowProgressWindow) != 0;
}

int ForwardPosition(int current, int requested) { return std::clamp(std::max(current, requested), 0, 100); }

int SteppedPosition(int current, int step) { return std::clamp(current + step, 0, 100); }

std::string NumberedStatus(std::string_view messageText, int index, int count, std::string_view status) {
  return rtl::Format("%s %d/%d: ", std::string(messageText).c_str(), index, count) + std::string(status);
}

}  // namespace tarvex
