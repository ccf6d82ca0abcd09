#include "crashreport/dialogs/common/dialog_text_rules.h"

#include "crashreport/base/options/options.h"
#include "crashreport/base/options/option_types.h"

namespace tarvex {

bool LooksLikeEmail(std::string_view address) {
  return address.find('@') != std::string_view::npos && address.find('.') != std::string_view::npos;
}

TEmailEntry ClassifyEmailEntry(std::string_view trimmedText) {
  if (trimmedText.empty()) return TEmailEntry::Empty;
  return LooksLikeEmail(trimmedText) ? TEmailEntry::Valid : TEmailEntry::Invalid;
}

std::string WithoutAccelerators(std::string_view text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') plain += '&', ++i;
      continue;
    }
    plain += text[i];
  }
  return plain;
}

bool SendingOffered(const TTarvexModuleOptions& options, bool duplicate) {
  const bool deliverySet = options.MailDelivery() != mdNone || options.WebDelivery() != wdNone;
  return deliverySet && !duplicate && (options.DialogFlags() & dfOfferSending) != 0;
}

bool EmailEntryShown(const TTarvexModuleOptions& options, bool sendingOffered) {
  return sendingOffered && (options.MailDelivery() != mdMailClient || options.WebDelivery() != wdNone);
}

int RestartBoxTextIndex(const TTarvexModuleOptions& options, int exceptionCount) {
  if (options.TerminateAction() == taNone || exceptionCount <= options.TerminateButtonAfter()) return -1;
  return options.TerminateAction() == taTerminate ? mtTerminateApplication : mtRestartApplication;
}

}  // namespace tarvex
