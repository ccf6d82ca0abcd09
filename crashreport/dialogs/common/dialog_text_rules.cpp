#include "crashreport/dialogs/common/dialog_text_rules.h"

#include "crashreport/base/options/options.h"
#include "crashreport/base/options/option_types.h"

namespace tarvex {

std::string TrimText(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

bool LooksLikeEmail(std::string_view address) {
  return address.find('@') != std::string_view::npos && address.find('.') != std::string_view::npos;
}

TEmailEntry ClassifyEmailEntry(std::string_view trimmedText) {
  if (trimmedText.empty()) return TEmailEntry::Empty;
  return LooksLikeEmail(trimmedText) ? TEmailEntry::Valid : TEmailEntry::Invalid;
}

long ReplaceEmailItem(std::string& text, std::string_view address) {
  const size_t item = text.find("\r\n  3.3 ");
  if (item == std::string::npos) return 0;
  const size_t colon = text.find(": ", item);
  if (colon == std::string::npos) return 0;
  const size_t valueStart = colon + 2;
  size_t lineEnd = text.find("\r\n", valueStart);
  if (lineEnd == std::string::npos) lineEnd = text.size();
  const long change = static_cast<long>(address.size()) - static_cast<long>(lineEnd - valueStart);
  text.replace(valueStart, lineEnd - valueStart, address);
  return change;
}

void PutEmailIntoReport(BugReport& report, std::string_view address) {
  const size_t item = report.text.find("\r\n  3.3 ");
  const long change = ReplaceEmailItem(report.text, address);
  if (item != std::string::npos && item < report.generalPartLength) {
    report.generalPartLength = static_cast<size_t>(static_cast<long>(report.generalPartLength) + change);
  }
  ReplaceEmailItem(report.pipelineCopy, address);
  report.textToSend = report.text;
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
