// The simple exception dialog's texts and layout, computed from the options
// and the fonts' measurements. Bytes and text only: the Windows dialog
// (simple_dialog_win) measures, this file decides.
#pragma once

#include <string>

#include "crashreport/dialogs/common/text_wrap.h"

namespace tarvex {

class TTarvexModuleOptions;

// Control identifiers of the template VX_MS_DIALOG.
enum TSimpleDialogControl : int {
  idHeadline = 102,
  idMessage = 103,
  idRestartBox = 104,
  idRequestTitle = 105,
  idRequestText = 106,
  idDetailsLead = 107,
  idReproduceLabel = 108,
  idReproduceBox = 109,
  idEmailLabel = 110,
  idEmailBox = 111,
  idSendButton = 1000,
  idDontSendButton = 1001,
  idHelpButton = 1002,
};

// What the dialog shows; every word from the options' message texts.
struct TSimpleDialogContent {
  std::string caption;        // text 3
  std::string headline;       // text 26
  std::string message;        // the shown message
  std::string restartText;    // text 27 or 28; empty: the box is hidden
  std::string requestTitle;   // text 29 \ shown only when sending is offered
  std::string requestText;    // text 30 /
  std::string detailsLead;    // text 31 trimmed plus one blank; empty: no details link
  std::string linkText;       // text 32
  std::string reproduceLabel; // text 33; empty: no reproduce entry
  std::string emailLabel;     // text 34 plus one blank; empty: no e-mail entry
  std::string sendText;       // text 35; empty: no Send button (sending not offered)
  std::string dontSendText;   // text 36 when sending is offered, else text 17
  std::string helpText;       // text 21; empty: no Help button
};

TSimpleDialogContent SimpleDialogContent(const TTarvexModuleOptions& options, const std::string& shownMessage,
                                         bool duplicate, int exceptionCount);

struct TControlRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool visible = false;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
};

// Sizes of the dialog's fonts and frame, in pixels.
struct TSimpleDialogMetrics {
  int lineHeight = 13;            // normal (message) font
  int boldLineHeight = 13;
  int borderWidth = 2;            // one edge of a 3-D border
  int frameAndCaptionHeight = 0;  // window height minus client height
  TTextWidth normalWidth;         // text widths in the normal font
  TTextWidth boldWidth;
  TTextWidth underlinedWidth;
  TCharLength charLength;         // nullptr: single-byte text
};

inline constexpr int kSimpleDialogWidth = 419;
inline constexpr int kBandHeight = 51;           // the white band behind the headline
inline constexpr int kBandRight = 413;
inline constexpr int kErrorBitmapLeft = 372, kErrorBitmapTop = 9, kErrorBitmapSize = 32;

struct TSimpleDialogLayout {
  TControlRect headline, message, restartBox, requestTitle, requestText, detailsLead, link,
      reproduceLabel, reproduceBox, emailLabel, emailBox, helpButton, dontSendButton, sendButton;
  int windowWidth = kSimpleDialogWidth;
  int windowHeight = 0;
};

TSimpleDialogLayout LayOutSimpleDialog(const TSimpleDialogContent& content, const TSimpleDialogMetrics& metrics);

// A push button's width: the text without "&" + 4 border widths + 16, at least 75.
int ButtonWidth(const std::string& text, const TSimpleDialogMetrics& metrics);

}  // namespace tarvex
