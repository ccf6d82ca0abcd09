// The request dialog's layout: the question wraps to the content width and
// the window grows by what it needs beyond one line. Bytes and text only.
#pragma once

#include "crashreport/dialogs/simple/simple_dialog_layout.h"

namespace tarvex {

// Control identifiers of the template VX_Request.
enum TRequestDialogControl : int { idRequestQuestion = 100, idRequestAnswer = 101, idRequestOk = 2 };

struct TRequestLayout {
  TControlRect question, answer, okButton;
  int windowHeight = 0;
};

// `windowWidth` and `windowHeight` are the template window's size,
// `questionHeight` the height the question needs wrapped to windowWidth - 27.
TRequestLayout LayOutRequestDialog(int windowWidth, int windowHeight, int questionHeight);

inline int RequestContentWidth(int windowWidth) { return windowWidth - 27; }

}  // namespace tarvex
