// The detailed dialog's decisions that follow from the options alone: what
// it offers, which pages it has, how it opens and how wide it is collapsed.
#pragma once

#include <cstdint>
#include <vector>

#include "crashreport/base/options/option_types.h"

namespace tarvex {

class TTarvexModuleOptions;

struct DetailedOffers {
  bool send = false;        // check box 3000
  bool screenshot = false;  // check box 4000
  bool copy = false;        // check box 5000
  bool supportLink = false;
  bool killButton = false;  // restart or terminate
  bool customButton = false;
  int bandHeight = 0;       // pixels under the separator for the check boxes and the link
};

// `exceptionCount` counts this run's exceptions, this one included.
DetailedOffers DetailedDialogOffers(const TTarvexModuleOptions& options, bool isDuplicate, int exceptionCount);

// The restart/terminate operation is offered from the configured number of exceptions on.
bool OffersTerminateOperation(const TTarvexModuleOptions& options, int exceptionCount);

// Sending is offered when a send mode is configured, the report is new and the options allow it.
bool OffersSending(const TTarvexModuleOptions& options, bool isDuplicate);

// The pages in tab order: General and Call Stack, Modules and Processes with
// the module sections, Assembler and CPU with the CPU sections.
std::vector<TTarvexDetailTab> PresentPages(uint8_t logFlags);

// The tab position of the configured first page; General when it is not present.
int FirstPagePosition(const std::vector<TTarvexDetailTab>& pages, TTarvexDetailTab configured);

bool StartsExpanded(bool repeatedShowing, uint16_t dialogFlags);

// The collapsed window's outer width: the widest text line (pixels) + 16 +
// the frame + a left margin of 58, kept within 340..640.
int CollapsedWindowWidth(int widestLinePixels, int frameWidth);

}  // namespace tarvex
