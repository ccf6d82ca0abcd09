#include <gtest/gtest.h>

#include "crashreport/base/options/options.h"
#include "crashreport/base/util/text_case.h"
#include "crashreport/dialogs/common/dialog_text_rules.h"
#include "crashreport/dialogs/progress/progress_rules.h"

namespace tarvex {
namespace {

TEST(EmailEntry, NeedsBothAtAndDot) {
  const struct {
    const char* text;
    TEmailEntry expected;
  } cases[] = {
      {"", TEmailEntry::Empty},
      {"user.example.com", TEmailEntry::Invalid},
      {"user@example", TEmailEntry::Invalid},
      {"user@example.com", TEmailEntry::Valid},
      {"a.b@c", TEmailEntry::Valid},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyEmailEntry(c.text), c.expected) << c.text;
}

TEST(EmailEntry, TrimsBlanksAndControlCharacters) {
  EXPECT_EQ(TrimText(" \t user@example.com \r\n"), "user@example.com");
  EXPECT_EQ(TrimText("   "), "");
  EXPECT_EQ(TrimText("a b"), "a b");
}

TEST(ButtonText, AcceleratorMarkersAreNotMeasured) {
  EXPECT_EQ(WithoutAccelerators("&Send Error Report"), "Send Error Report");
  EXPECT_EQ(WithoutAccelerators("Fish && &Chips"), "Fish & Chips");
}

TEST(SendingOffer, NeedsDeliveryNoDuplicateAndTheOfferBit) {
  TTarvexModuleOptions options;
  EXPECT_FALSE(SendingOffered(options, false));  // defaults: no delivery
  options.SetMailDelivery(mdSMTPRelay);
  EXPECT_TRUE(SendingOffered(options, false));
  EXPECT_FALSE(SendingOffered(options, true));
  options.SetDialogFlags(options.DialogFlags() & ~dfOfferSending);
  EXPECT_FALSE(SendingOffered(options, false));
  options.SetDialogFlags(options.DialogFlags() | dfOfferSending);
  options.SetMailDelivery(mdNone);
  options.SetWebDelivery(wdHTTP);
  EXPECT_TRUE(SendingOffered(options, false));
}

TEST(SendingOffer, EmailEntryNotForTheUsersOwnMailProgramAlone) {
  TTarvexModuleOptions options;
  options.SetMailDelivery(mdMailClient);
  EXPECT_FALSE(EmailEntryShown(options, true));
  EXPECT_FALSE(EmailEntryShown(options, false));
  options.SetWebDelivery(wdFTP);
  EXPECT_TRUE(EmailEntryShown(options, true));
  options.SetWebDelivery(wdNone);
  options.SetMailDelivery(mdDirectMX);
  EXPECT_TRUE(EmailEntryShown(options, true));
}

TEST(RestartBox, FromTheConfiguredCountOnWithTheOperationsText) {
  TTarvexModuleOptions options;  // restart after 3
  EXPECT_EQ(RestartBoxTextIndex(options, 3), -1);
  EXPECT_EQ(RestartBoxTextIndex(options, 4), mtRestartApplication);
  options.SetTerminateAction(taTerminate);
  EXPECT_EQ(RestartBoxTextIndex(options, 4), mtTerminateApplication);
  options.SetTerminateAction(taNone);
  EXPECT_EQ(RestartBoxTextIndex(options, 100), -1);
  options.SetTerminateAction(taRestart);
  options.SetTerminateButtonAfter(0);
  EXPECT_EQ(RestartBoxTextIndex(options, 1), mtRestartApplication);
}

TEST(Progress, NeverMovesBackwards) {
  EXPECT_EQ(ForwardPosition(40, 30), 40);
  EXPECT_EQ(ForwardPosition(40, 55), 55);
  EXPECT_EQ(ForwardPosition(90, 250), 100);
  EXPECT_EQ(SteppedPosition(40, 15), 55);
  EXPECT_EQ(SteppedPosition(95, 10), 100);
}

TEST(Progress, DialogWantedOnlyWithDeliveryTheFlagAndDialogsAllowed) {
  TTarvexModuleOptions options;  // ShowProgressWindow is on by default
  EXPECT_FALSE(ProgressDialogWanted(options, true));
  options.SetWebDelivery(wdHTTP);
  EXPECT_TRUE(ProgressDialogWanted(options, true));
  EXPECT_FALSE(ProgressDialogWanted(options, false));
  options.SetSendFlags(options.SendFlags() & ~sfShowProgressWindow);
  EXPECT_FALSE(ProgressDialogWanted(options, true));
}

TEST(Progress, NumberedStatusLine) {
  EXPECT_EQ(NumberedStatus("Message", 2, 3, "Connecting with server..."), "Message 2/3: Connecting with server...");
}

}  // namespace
}  // namespace tarvex
