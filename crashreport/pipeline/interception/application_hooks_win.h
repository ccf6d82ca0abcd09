// The GUI framework's application exception handler and show-exception
// routine, taken over by patching their slots in the application object's
// method table (rtl::gui::Application::kHandleExceptionSlot, kShowExceptionSlot).
//   handler: ExceptionManager with okApplication; the framework's own
//            handling (its error box) runs only when that returns true.
//   show:    the same, unless called from inside the hooked handler or while
//            an event call is pending: then the framework's box is shown.
#pragma once

namespace tarvex {

// Patches the slots of the application object's class; false when they
// cannot be patched. Never throws.
bool InstallApplicationHooks();
void UninstallApplicationHooks();

}  // namespace tarvex
