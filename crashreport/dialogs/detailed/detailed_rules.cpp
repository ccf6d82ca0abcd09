#include "crashreport/dialogs/detailed/detailed_rules.h"

#include <algorithm>

#include "crashreport/base/options/options.h"

namespace tarvex {

bool OffersSending(const TTarvexModuleOptions& options, bool isDuplicate) {
  const bool sendModeSet = options.MailDelivery() != mdNone || options.WebDelivery() != wdNone;
  return sendModeSet && !isDuplicate && (options.DialogFlags() & dfOfferSending) != 0;
}

bool OffersTerminateOperation(const TTarvexModuleOptions& options, int exceptionCount) {
  return options.TerminateAction() != taNone && exceptionCount > options.TerminateButtonAfter();
}

DetailedOffers DetailedDialogOffers(const TTarvexModuleOptions& options, bool isDuplicate, int exceptionCount) {
  DetailedOffers offers;
  const uint16_t flags = options.DialogFlags();
  offers.send = OffersSending(options, isDuplicate);
  offers.screenshot =
      offers.send && (options.SendFlags() & sfIncludeScreenshot) != 0 && (flags & dfOfferScreenshot) != 0;
  offers.copy = (flags & dfOfferCopy) != 0;
  offers.supportLink = !options.SupportPageAddress().empty();
  offers.killButton = OffersTerminateOperation(options, exceptionCount);
  offers.customButton = (flags & dfCustomButton) != 0;
  if ((offers.send && offers.screenshot) || (offers.copy && offers.supportLink))
    offers.bandHeight = 34;
  else if (offers.send || offers.screenshot || offers.copy || offers.supportLink)
    offers.bandHeight = 20;
  return offers;
}

std::vector<TTarvexDetailTab> PresentPages(uint8_t logFlags) {
  std::vector<TTarvexDetailTab> pages = {dtGeneral, dtCallStack};
  if (logFlags & lfSaveModuleSections) pages.insert(pages.end(), {dtModules, dtProcesses});
  if (logFlags & lfSaveCpuSections) pages.insert(pages.end(), {dtAssembler, dtCpu});
  return pages;
}

int FirstPagePosition(const std::vector<TTarvexDetailTab>& pages, TTarvexDetailTab configured) {
  const auto found = std::find(pages.begin(), pages.end(), configured);
  return found == pages.end() ? 0 : static_cast<int>(found - pages.begin());
}

bool StartsExpanded(bool repeatedShowing, uint16_t dialogFlags) {
  return repeatedShowing || (dialogFlags & dfStartExpanded) != 0;
}

int CollapsedWindowWidth(int widestLinePixels, int frameWidth) {
  return std::clamp(widestLinePixels + 16 + frameWidth + 58, 340, 640);
}

}  // namespace tarvex
