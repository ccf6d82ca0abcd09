#include <gtest/gtest.h>

#include <string>

#include "crashreport/base/options/options.h"
#include "crashreport/base/options/option_types.h"
#include "crashreport/dialogs/common/text_wrap.h"
#include "crashreport/dialogs/request/request_layout.h"
#include "crashreport/dialogs/simple/simple_dialog_layout.h"

namespace tarvex {
namespace {

// A fixed-pitch font: 6 pixels a character.
int Pitch6(std::string_view text) { return static_cast<int>(text.size()) * 6; }

TEST(TextWrap, WrapsWordsAtTheWidthLessSix) {
  // "aaaa bbbb" is 54 pixels: fits in 60 (limit 54), not in 59.
  EXPECT_EQ(WrappedLineCount("aaaa bbbb", 60, Pitch6), 1);
  EXPECT_EQ(WrappedLineCount("aaaa bbbb", 59, Pitch6), 2);
  EXPECT_EQ(WrappedLineCount("aaaa bbbb cccc", 40, Pitch6), 3);
}

TEST(TextWrap, LineBreaksAndEmptyLinesCount) {
  EXPECT_EQ(WrappedLineCount("", 100, Pitch6), 1);
  EXPECT_EQ(WrappedLineCount("one\r\n\r\ntwo", 100, Pitch6), 3);
  EXPECT_EQ(WrappedLineCount("trailing\r\n", 100, Pitch6), 2);
}

TEST(TextWrap, AWordWiderThanTheLineBreaksBetweenCharacters) {
  // 27 characters at 9 a line (54 pixels), between "a" and "b".
  EXPECT_EQ(WrappedLineCount("a verylongwordthatdoesnotfit b", 60, Pitch6), 5);
  // Double-byte text without blanks: 18 two-byte characters of 12 pixels, 4 a line;
  // never cut inside a character.
  const std::string chinese(36, '\xB0');
  const TCharLength twoBytes = [](std::string_view, size_t) -> size_t { return 2; };
  EXPECT_EQ(WrappedLineCount(chinese, 60, Pitch6, twoBytes), 5);
  EXPECT_EQ(WrappedLineCount(chinese, 60, Pitch6), 4);  // as single bytes: 9 a line
}

TEST(TextWrap, LabelHeightIsLinesTimesLineHeightPlusOne) {
  EXPECT_EQ(LabelHeight("aaaa bbbb cccc", 40, 13, Pitch6), 3 * 13 + 1);
}

TSimpleDialogMetrics Metrics() {
  TSimpleDialogMetrics m;
  m.lineHeight = 13;
  m.boldLineHeight = 13;
  m.borderWidth = 2;
  m.frameAndCaptionHeight = 25;
  m.normalWidth = m.boldWidth = m.underlinedWidth = Pitch6;
  return m;
}

TEST(SimpleDialog, DefaultOptionsNoSendingOkButtonOnly) {
  TTarvexModuleOptions options;  // no delivery, details link on, reproduce off
  const TSimpleDialogContent content = SimpleDialogContent(options, "Boom.", false, 1);
  EXPECT_EQ(content.caption, "Error occurred");
  EXPECT_EQ(content.dontSendText, "&OK");
  EXPECT_TRUE(content.sendText.empty());
  EXPECT_TRUE(content.restartText.empty());
  EXPECT_EQ(content.detailsLead, "To see what data the error report contains, ");
  EXPECT_TRUE(content.emailLabel.empty());

  const TSimpleDialogLayout l = LayOutSimpleDialog(content, Metrics());
  EXPECT_EQ(l.message.top, 59);
  EXPECT_EQ(l.message.height, 14);
  EXPECT_FALSE(l.requestTitle.visible);
  EXPECT_FALSE(l.sendButton.visible);
  EXPECT_FALSE(l.helpButton.visible);
  // 107 twelve below the message, as wide as its text; the link 8 further right.
  EXPECT_EQ(l.detailsLead.top, 59 + 14 + 12);
  EXPECT_EQ(l.detailsLead.width, 44 * 6);
  EXPECT_EQ(l.link.left, 8 + 44 * 6 + 8);
  // Buttons: 12 below, height 4*2 + 13 + 6, OK right-aligned to 405 at its minimum width.
  const int rowTop = l.detailsLead.Bottom() + 12;
  EXPECT_EQ(l.dontSendButton.top, rowTop);
  EXPECT_EQ(l.dontSendButton.height, 27);
  EXPECT_EQ(l.dontSendButton.width, 75);
  EXPECT_EQ(l.dontSendButton.Right(), 405);
  EXPECT_EQ(l.windowHeight, rowTop + 27 + 25 + 10);
  EXPECT_EQ(l.windowWidth, 419);
}

TEST(SimpleDialog, EverythingShownInOrder) {
  TTarvexModuleOptions options;
  options.SetMailDelivery(mdSMTPRelay);
  options.SetLogFlags(options.LogFlags() | lfAskReproduceSteps);
  options.SetDialogFlags(options.DialogFlags() | dfCustomButton);
  const TSimpleDialogContent content = SimpleDialogContent(options, "Boom.", false, 4);
  EXPECT_EQ(content.restartText, "Restart application.");
  EXPECT_EQ(content.dontSendText, "&Don't Send");
  EXPECT_EQ(content.emailLabel, "Email address (optional): ");
  const TSimpleDialogLayout l = LayOutSimpleDialog(content, Metrics());

  // The headline (bold, 356 wide: 80 characters wrap to 2 lines) centred in the 51-pixel band.
  EXPECT_EQ(l.headline.width, 356);
  EXPECT_EQ(l.headline.height, 27);
  EXPECT_EQ(l.headline.top, (51 - 27) / 2);
  EXPECT_EQ(l.restartBox.top, l.message.Bottom() + 10);
  EXPECT_EQ(l.requestTitle.top, l.restartBox.Bottom() + 10);
  EXPECT_EQ(l.requestText.top, l.requestTitle.Bottom() + 2);
  EXPECT_EQ(l.detailsLead.top, l.requestText.Bottom() + 12);
  EXPECT_EQ(l.reproduceLabel.top, l.detailsLead.Bottom() + 12);
  EXPECT_EQ(l.reproduceBox.top, l.reproduceLabel.Bottom() + 2);
  EXPECT_EQ(l.reproduceBox.height, 4 * 13 + 8 * 2);
  EXPECT_EQ(l.emailBox.top, l.reproduceBox.Bottom() + 12);
  EXPECT_EQ(l.emailBox.left, 8 + 26 * 6 + 8);
  EXPECT_EQ(l.emailBox.Right(), 405);
  // Send left of Don't Send; Help at the left edge; the Send button fits its text.
  EXPECT_EQ(l.dontSendButton.Right(), 405);
  EXPECT_LT(l.sendButton.Right(), l.dontSendButton.left);
  EXPECT_EQ(l.sendButton.width, 17 * 6 + 8 + 16);
  EXPECT_EQ(l.helpButton.left, 8);
  EXPECT_TRUE(l.helpButton.visible);
}

TEST(SimpleDialog, MailClientAloneHasNoEmailRowAndDuplicatesNoSending) {
  TTarvexModuleOptions options;
  options.SetMailDelivery(mdMailClient);
  EXPECT_TRUE(SimpleDialogContent(options, "x", false, 1).emailLabel.empty());
  EXPECT_FALSE(SimpleDialogContent(options, "x", false, 1).sendText.empty());
  EXPECT_TRUE(SimpleDialogContent(options, "x", true, 1).sendText.empty());
  EXPECT_EQ(SimpleDialogContent(options, "x", true, 1).dontSendText, "&OK");
}

TEST(SimpleDialog, CustomisedTextsReplaceTheWords) {
  TTarvexModuleOptions options;
  options.SetText(mtErrorOccurred, "出错了");
  options.SetText(mtOk, "确定");
  options.SetText(mtSeeReportContents, "  要查看错误报告的内容，  ");
  const TSimpleDialogContent content = SimpleDialogContent(options, "x", false, 1);
  EXPECT_EQ(content.caption, "出错了");
  EXPECT_EQ(content.dontSendText, "确定");
  EXPECT_EQ(content.detailsLead, "要查看错误报告的内容， ");
}

TEST(RequestDialog, ThreeLineQuestionGrowsTheWindow) {
  // A 300 x 200 template; the question needs three 13-pixel lines.
  const TRequestLayout l = LayOutRequestDialog(300, 200, 39);
  EXPECT_EQ(l.windowHeight, 200 + 39 - 10);
  EXPECT_EQ(l.question.left, 10);
  EXPECT_EQ(l.question.width, 273);
  EXPECT_EQ(l.question.height, 39);
  EXPECT_EQ(l.answer.top, 39 + 14);
  EXPECT_EQ(l.answer.height, 229 - 39 - 83);
  EXPECT_EQ(l.okButton.left, 273 - 65);
  EXPECT_EQ(l.okButton.top, 39 + 107 + 20);
  EXPECT_EQ(l.okButton.width, 75);
}

}  // namespace
}  // namespace tarvex
