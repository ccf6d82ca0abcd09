// The request dialog (template VX_Request): asks the user for the steps that
// reproduce the error and keeps the answer as the options' ReproductionSteps.
#pragma once

namespace tarvex {

class TTarvexModuleOptions;

// Shows the dialog modally, without owner window, when the options ask for
// the steps; false when it was not shown.
bool ShowRequestDialog(TTarvexModuleOptions& options);

}  // namespace tarvex
