#include "crashreport/pipeline/handling/handling_choice.h"

#include "crashreport/base/options/options.h"
#include "crashreport/base/util/macros.h"

namespace tarvex {

TTarvexDialogKind FilterDialog(TTarvexFilterDialog choice, TTarvexDialogKind optionsDialog) {
  switch (choice) {
    case fdNone: return dkNone;
    case fdOptionsDialog: return optionsDialog;
    case fdMessageBox: return dkMessageBox;
    case fdSimpleDialog: return dkSimple;
    case fdDetailedDialog: return dkDetailed;
  }
  return optionsDialog;
}

HandlingChoice ChooseHandling(const TTarvexModuleOptions& options, const rtl::Exception& exception, bool handled,
                              TRaiseKind raiseKind, const MacroValues& macros) {
  HandlingChoice choice;
  choice.Dialog = options.DialogKind();
  if (raiseKind == rkThreadWrapper || !options.UseExceptionFilters()) return choice;
  const TTarvexExceptionFilter* filter = options.Filters().Match(exception, handled);
  if (filter == nullptr) return choice;
  choice.Handling = filter->Handling;
  choice.AfterAction = filter->AfterAction;
  choice.Dialog = FilterDialog(filter->DialogChoice, options.DialogKind());
  choice.DialogChosenByFilter = true;
  if (!filter->Message.empty()) choice.CustomMessage = ExpandMacros(filter->Message, macros);
  return choice;
}

}  // namespace tarvex
