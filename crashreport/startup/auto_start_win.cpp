// The crash reporter starts itself in every program that links it: this
// object is linked into the program as such (never left out by the linker),
// and its constructor runs among the program's static initialisations, before
// the first window exists; its destructor stops the reporter again when the
// program's static objects are destroyed.
#include <memory>

#include "crashreport/pipeline/services/live_report_builder_win.h"
#include "crashreport/startup/tarvexlog_startup_win.h"
#include "crashreport/dialogs/detailed/detailed_dialog.h"
#include "crashreport/dialogs/exception_dialogs/exception_dialogs_win.h"

namespace tarvex {
namespace {

class TAutoStart {
 public:
  // A reporter that cannot start leaves the program running without it:
  // nothing may escape a static initialiser.
  TAutoStart() : dialogs_(WindowsDialogRunners(&RunDetailedDialog)) {
    try {
      builder_ = MakeLiveReportBuilder();
      TTarvexLogParts parts;
      parts.Builder = builder_.get();
      parts.Dialogs = &dialogs_;
      StartTarvexLog(parts);
    } catch (...) {
    }
  }
  ~TAutoStart() {
    try {
      StopTarvexLog();
    } catch (...) {
    }
  }

 private:
  std::unique_ptr<TReportBuilder> builder_;
  TWindowsExceptionDialogs dialogs_;
};

// Early among the initialisations, so that the reporter sees the failures of the program's own.
__attribute__((init_priority(200))) TAutoStart autoStart;

}  // namespace
}  // namespace tarvex
