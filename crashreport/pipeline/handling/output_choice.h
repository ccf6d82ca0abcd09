// Where the report of a handled exception is shown.
#pragma once

#include "crashreport/pipeline/handling/capture_info.h"
#include "crashreport/pipeline/handling/handling_system.h"

namespace tarvex {

enum TReportOutput : uint8_t { roDialog, roStandardOutput, roErrorPage };

// The output kind of the interception point decides with the kind of program:
// automatic sends a web server application's report to its error page and a
// console program's to standard output; the application kind sends a console
// program's to standard output; every other case shows the dialog.
constexpr TReportOutput ChooseReportOutput(TOutputKind kind, TProgramKind program) {
  if (kind == okWebPage) return roErrorPage;
  if (program == pkConsole) return roStandardOutput;
  if (kind == okAutomatic && program == pkWebServer) return roErrorPage;
  return roDialog;
}

}  // namespace tarvex
