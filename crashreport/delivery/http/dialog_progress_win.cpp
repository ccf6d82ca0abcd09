#include "crashreport/delivery/http/dialog_progress_win.h"

#include "crashreport/base/options/options.h"
#include "crashreport/delivery/http/transfer_progress.h"
#include "crashreport/dialogs/progress/send_progress_win.h"

namespace tarvex {
namespace {

void Show(const TTarvexModuleOptions& options, int textIndex, const TBarMove& bar) {
  if (textIndex < 0) return;
  ShowStatusPlain(options.Text(textIndex));
  if (bar.Reset) ResetProgress();
  if (bar.Relative) {
    AddProgress(bar.Value);
  } else if (bar.Value >= 0) {
    SetProgress(bar.Value);
  }
}

}  // namespace

void ShowConnectionProgress(const TTarvexModuleOptions& options, int kind, int percent) {
  Show(options, ConnectionProgressText(kind), ConnectionBarMove(kind, percent));
}

TUploadProgress DialogUploadProgress(const TTarvexModuleOptions& options) {
  return [&options](int kind, uint64_t total, uint64_t done) {
    Show(options, UploadProgressText(kind), UploadBarMove(kind, total, done));
  };
}

}  // namespace tarvex
