#include "crashreport/dialogs/detailed/detailed_rules.h"

#include <gtest/gtest.h>

#include "crashreport/base/options/options.h"

namespace tarvex {
namespace {

struct OffersCase {
  const char* name;
  TTarvexMailDelivery mail;
  uint16_t dialogFlags;
  uint16_t sendFlags;
  std::string supportPage;
  bool duplicate;
  bool send, screenshot, copy, link;
  int band;
};

TEST(DetailedDialogOffers, FollowTheOptionsAndTheBandHeight) {
  const OffersCase cases[] = {
      {"nothing offered", mdNone, 0, 0, "", false, false, false, false, false, 0},
      {"send only: no screenshot flag", mdSMTPRelay, dfOfferSending, 0, "", false, true, false, false, false, 20},
      {"send and screenshot", mdSMTPRelay, dfOfferSending | dfOfferScreenshot, sfIncludeScreenshot, "", false, true,
       true, false, false, 34},
      {"a duplicate offers no sending", mdSMTPRelay, dfOfferSending | dfOfferScreenshot, sfIncludeScreenshot, "",
       true, false, false, false, false, 0},
      {"copy and link", mdNone, dfOfferCopy, 0, "http://support.example", false, false, false, true, true, 34},
      {"send and copy share a row", mdMailClient, dfOfferSending | dfOfferCopy, 0, "", false, true, false, true,
       false, 20},
      {"link alone", mdNone, 0, 0, "http://support.example", false, false, false, false, true, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TTarvexModuleOptions options;
    options.SetMailDelivery(c.mail);
    options.SetDialogFlags(c.dialogFlags);
    options.SetSendFlags(c.sendFlags);
    options.SetSupportPageAddress(c.supportPage);
    const DetailedOffers offers = DetailedDialogOffers(options, c.duplicate, 1);
    EXPECT_EQ(offers.send, c.send);
    EXPECT_EQ(offers.screenshot, c.screenshot);
    EXPECT_EQ(offers.copy, c.copy);
    EXPECT_EQ(offers.supportLink, c.link);
    EXPECT_EQ(offers.bandHeight, c.band);
  }
}

TEST(DetailedDialogOffers, KillButtonFromTheConfiguredExceptionCountOn) {
  TTarvexModuleOptions options;
  options.SetTerminateAction(taTerminate);
  options.SetTerminateButtonAfter(2);
  EXPECT_FALSE(DetailedDialogOffers(options, false, 2).killButton);
  EXPECT_TRUE(DetailedDialogOffers(options, false, 3).killButton);
  options.SetTerminateAction(taNone);
  EXPECT_FALSE(DetailedDialogOffers(options, false, 30).killButton);
}

TEST(DetailedDialogPages, LogOptionBitsChooseThePages) {
  EXPECT_EQ(PresentPages(0), (std::vector<TTarvexDetailTab>{dtGeneral, dtCallStack}));
  EXPECT_EQ(PresentPages(lfSaveModuleSections),
            (std::vector<TTarvexDetailTab>{dtGeneral, dtCallStack, dtModules, dtProcesses}));
  EXPECT_EQ(PresentPages(lfSaveCpuSections),
            (std::vector<TTarvexDetailTab>{dtGeneral, dtCallStack, dtAssembler, dtCpu}));
  EXPECT_EQ(PresentPages(lfSaveModuleSections | lfSaveCpuSections).size(), 6u);
}

TEST(DetailedDialogPages, AFirstPageThatIsMissingOpensGeneral) {
  EXPECT_EQ(FirstPagePosition(PresentPages(0), dtModules), 0);
  EXPECT_EQ(FirstPagePosition(PresentPages(0), dtCallStack), 1);
  EXPECT_EQ(FirstPagePosition(PresentPages(lfSaveCpuSections), dtCpu), 3);
  EXPECT_EQ(FirstPagePosition(PresentPages(lfSaveModuleSections | lfSaveCpuSections), dtCpu), 5);
}

TEST(DetailedDialogState, OpensExpandedAfterTheDetailsLinkOrByOption) {
  EXPECT_FALSE(StartsExpanded(false, 0x18F));
  EXPECT_TRUE(StartsExpanded(true, 0));
  EXPECT_TRUE(StartsExpanded(false, dfStartExpanded));
}

TEST(DetailedDialogState, CollapsedWidthStaysWithin340And640) {
  EXPECT_EQ(CollapsedWindowWidth(10, 8), 340);
  EXPECT_EQ(CollapsedWindowWidth(300, 8), 300 + 16 + 8 + 58);
  EXPECT_EQ(CollapsedWindowWidth(2000, 8), 640);
}

}  // namespace
}  // namespace tarvex
