#include "crashreport/dialogs/request/request_layout.h"

namespace tarvex {

TRequestLayout LayOutRequestDialog(int windowWidth, int windowHeight, int questionHeight) {
  const int w = RequestContentWidth(windowWidth);
  const int h = questionHeight;
  TRequestLayout layout;
  layout.windowHeight = windowHeight + h - 10;
  const int e = layout.windowHeight - h - 83;
  layout.question = {10, 10, w, h, true};
  layout.answer = {10, h + 14, w, e, true};
  layout.okButton = {w - 65, h + e + 20, 75, 23, true};
  return layout;
}

}  // namespace tarvex
