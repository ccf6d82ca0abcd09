#include "crashreport/dialogs/simple/simple_dialog_layout.h"

#include <algorithm>

#include "crashreport/base/options/options.h"
#include "crashreport/base/options/option_types.h"
#include "crashreport/base/util/text_case.h"
#include "crashreport/dialogs/common/dialog_text_rules.h"

namespace tarvex {
namespace {

constexpr int kLeft = 8;
constexpr int kWidth = 397;
constexpr int kRight = kLeft + kWidth;  // 405
constexpr int kHeadlineWidth = 356;
constexpr int kMessageTop = 59;
constexpr int kButtonGap = 8;

TControlRect Place(int left, int top, int width, int height) { return {left, top, width, height, true}; }

// Lays the visible rows out from top to bottom.
class Column {
 public:
  explicit Column(const TSimpleDialogMetrics& metrics) : m_(metrics) {}

  TControlRect Label(const std::string& text, int gap, const TTextWidth& width) {
    y_ += gap;
    const TControlRect rect = Place(kLeft, y_, kWidth, LabelHeight(text, kWidth, m_.lineHeight, width, m_.charLength));
    y_ = rect.Bottom();
    return rect;
  }
  TControlRect Box(int gap, int height) {
    y_ += gap;
    const TControlRect rect = Place(kLeft, y_, kWidth, height);
    y_ = rect.Bottom();
    return rect;
  }
  int& Y() { return y_; }

 private:
  const TSimpleDialogMetrics& m_;
  int y_ = kMessageTop;
};

}  // namespace

TSimpleDialogContent SimpleDialogContent(const TTarvexModuleOptions& options, const std::string& shownMessage,
                                         bool duplicate, int exceptionCount) {
  const bool offered = SendingOffered(options, duplicate);
  const uint16_t flags = options.DialogFlags();
  TSimpleDialogContent c;
  c.caption = options.Text(mtErrorOccurred);
  c.headline = options.Text(mtEncounteredProblem);
  c.message = shownMessage;
  if (const int restart = RestartBoxTextIndex(options, exceptionCount); restart >= 0) c.restartText = options.Text(restart);
  if (offered) {
    c.requestTitle = options.Text(mtTellUsAboutProblem);
    c.requestText = options.Text(mtCreatedErrorReport);
    c.sendText = options.Text(mtSendErrorReport);
  }
  if (flags & dfDetailsLink) {
    c.detailsLead = std::string(TrimText(options.Text(mtSeeReportContents))) + ' ';
    c.linkText = options.Text(mtClickHere);
  }
  if (options.LogFlags() & lfAskReproduceSteps) c.reproduceLabel = options.Text(mtWhatWereYouDoing);
  if (EmailEntryShown(options, offered)) c.emailLabel = options.Text(mtEmailAddress) + ' ';
  c.dontSendText = options.Text(offered ? mtDontSend : mtOk);
  if (flags & dfCustomButton) c.helpText = options.Text(mtHelp);
  return c;
}

int ButtonWidth(const std::string& text, const TSimpleDialogMetrics& metrics) {
  return std::max(75, metrics.normalWidth(WithoutAccelerators(text)) + 4 * metrics.borderWidth + 16);
}

TSimpleDialogLayout LayOutSimpleDialog(const TSimpleDialogContent& content, const TSimpleDialogMetrics& m) {
  TSimpleDialogLayout layout;
  const int headlineHeight = LabelHeight(content.headline, kHeadlineWidth, m.boldLineHeight, m.boldWidth, m.charLength);
  layout.headline = Place(kLeft, (kBandHeight - headlineHeight) / 2, kHeadlineWidth, headlineHeight);

  Column column(m);
  layout.message = column.Label(content.message, 0, m.normalWidth);
  if (!content.restartText.empty()) layout.restartBox = column.Label(content.restartText, 10, m.normalWidth);
  if (!content.sendText.empty()) {
    layout.requestTitle = column.Label(content.requestTitle, 10, m.boldWidth);
    layout.requestText = column.Label(content.requestText, 2, m.normalWidth);
  }
  if (!content.detailsLead.empty()) {
    column.Y() += 12;
    const int leadWidth = m.normalWidth(content.detailsLead);
    layout.detailsLead = Place(kLeft, column.Y(), leadWidth, m.lineHeight + 1);
    layout.link = Place(kLeft + leadWidth + 8, column.Y(), m.underlinedWidth(content.linkText), m.lineHeight + 1);
    column.Y() = layout.detailsLead.Bottom();
  }
  if (!content.reproduceLabel.empty()) {
    layout.reproduceLabel = column.Label(content.reproduceLabel, 12, m.normalWidth);
    layout.reproduceBox = column.Box(2, 4 * m.lineHeight + 8 * m.borderWidth);
  }
  if (!content.emailLabel.empty()) {
    column.Y() += 12;
    const int labelWidth = m.normalWidth(content.emailLabel);
    const int boxHeight = m.lineHeight + 4 * m.borderWidth;
    layout.emailLabel = Place(kLeft, column.Y() + (boxHeight - m.lineHeight) / 2, labelWidth, m.lineHeight + 1);
    const int boxLeft = kLeft + labelWidth + 8;
    layout.emailBox = Place(boxLeft, column.Y(), kRight - boxLeft, boxHeight);
    column.Y() = std::max(layout.emailLabel.Bottom(), layout.emailBox.Bottom());
  }

  const int rowTop = column.Y() + 12;
  const int buttonHeight = 4 * m.borderWidth + m.lineHeight + 6;
  if (!content.helpText.empty()) layout.helpButton = Place(kLeft, rowTop, ButtonWidth(content.helpText, m), buttonHeight);
  const int dontSendWidth = ButtonWidth(content.dontSendText, m);
  layout.dontSendButton = Place(kRight - dontSendWidth, rowTop, dontSendWidth, buttonHeight);
  if (!content.sendText.empty()) {
    const int sendWidth = ButtonWidth(content.sendText, m);
    layout.sendButton = Place(layout.dontSendButton.left - kButtonGap - sendWidth, rowTop, sendWidth, buttonHeight);
  }
  layout.windowHeight = rowTop + buttonHeight + m.frameAndCaptionHeight + 10;
  return layout;
}

}  // namespace tarvex
