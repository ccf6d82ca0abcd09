// How one exception is handled: the defaults of the options, changed by the
// first exception filter that matches.
#pragma once

#include <cstdint>
#include <string>

#include "crashreport/base/options/exception_filters.h"
#include "crashreport/base/options/option_types.h"

namespace rtl {
class Exception;
}

namespace tarvex {

class MacroValues;

// How the exception was met when it was raised.
enum TRaiseKind : uint8_t {
  rkUncaught = 0,        // no handler will catch it
  rkSafeCall = 1,        // a safecall frame catches it
  rkThreadWrapper = 2,   // the thread start wrapper catches it: it ends a thread
};

struct HandlingChoice {
  TTarvexFilterHandling Handling = fhTarvexLog;
  TTarvexFilterAfterAction AfterAction = faNone;
  TTarvexDialogKind Dialog = dkNone;
  bool DialogChosenByFilter = false;
  std::string CustomMessage;  // empty: the exception's own message
};

// Defaults: the crash reporter handles, no after-action, `DialogKind`. When
// the exception does not end a thread and filters are in use, the first
// matching filter decides; its message has its macros expanded.
HandlingChoice ChooseHandling(const TTarvexModuleOptions& options, const rtl::Exception& exception, bool handled,
                              TRaiseKind raiseKind, const MacroValues& macros);

// The dialog a filter's choice stands for.
TTarvexDialogKind FilterDialog(TTarvexFilterDialog choice, TTarvexDialogKind optionsDialog);

}  // namespace tarvex
