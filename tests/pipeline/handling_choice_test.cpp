#include "crashreport/pipeline/handling/handling_choice.h"

#include <gtest/gtest.h>

#include "crashreport/base/options/options.h"
#include "crashreport/base/util/macros.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;

class FixedValues : public MacroValues {
 public:
  std::string Environment(const std::string& name) const override { return name == "USER" ? "ann" : ""; }
  std::string ShortDate() const override { return "10/12/2026"; }
  std::string LongTime() const override { return "17:00:00"; }
  std::string CurrentDirectory() const override { return "C:\\work"; }
};

TEST(HandlingChoice, FiltersDecide) {
  const FixedValues macros;
  const rtl::EConvertError convert("bad");
  const rtl::EAccessViolation access("av");
  TTarvexModuleOptions options;
  options.SetDialogKind(dkSimple);
  options.Filters().Add({true, "EConvertError", "Hello %USER%", fsAnyException, fdDetailedDialog, fhStandard, faNone});
  options.Filters().Add({true, "EExternal", "", fsAnyException, fdOptionsDialog, fhTarvexLog, faRestart});

  struct Case {
    const char* what;
    const rtl::Exception& exception;
    TRaiseKind raiseKind;
    bool useFilters;
    TTarvexFilterHandling handling;
    TTarvexFilterAfterAction after;
    TTarvexDialogKind dialog;
    const char* message;
  };
  const Case cases[] = {
      {"filter to ordinary handling", convert, rkUncaught, true, fhStandard, faNone, dkDetailed, "Hello ann"},
      {"ancestor filter with restart", access, rkUncaught, true, fhTarvexLog, faRestart, dkSimple, ""},
      {"ending a thread skips filters", convert, rkThreadWrapper, true, fhTarvexLog, faNone, dkSimple, ""},
      {"filters switched off", convert, rkUncaught, false, fhTarvexLog, faNone, dkSimple, ""},
  };
  for (const Case& c : cases) {
    options.SetUseExceptionFilters(c.useFilters);
    const HandlingChoice choice = ChooseHandling(options, c.exception, false, c.raiseKind, macros);
    EXPECT_EQ(choice.Handling, c.handling) << c.what;
    EXPECT_EQ(choice.AfterAction, c.after) << c.what;
    EXPECT_EQ(choice.Dialog, c.dialog) << c.what;
    EXPECT_EQ(choice.CustomMessage, c.message) << c.what;
  }
}

TEST(HandlingChoice, IgnoringFilterAndDialogChoices) {
  TTarvexModuleOptions options;
  options.Filters().Add({true, "EConvertError", "", fsAnyException, fdNone, fhIgnore, faNone});
  const HandlingChoice choice = ChooseHandling(options, rtl::EConvertError("x"), false, rkUncaught, FixedValues());
  EXPECT_EQ(choice.Handling, fhIgnore);
  EXPECT_EQ(choice.Dialog, dkNone);
  EXPECT_TRUE(choice.DialogChosenByFilter);

  EXPECT_EQ(FilterDialog(fdNone, dkDetailed), dkNone);
  EXPECT_EQ(FilterDialog(fdOptionsDialog, dkDetailed), dkDetailed);
  EXPECT_EQ(FilterDialog(fdMessageBox, dkDetailed), dkMessageBox);
  EXPECT_EQ(FilterDialog(fdSimpleDialog, dkDetailed), dkSimple);
  EXPECT_EQ(FilterDialog(fdDetailedDialog, dkNone), dkDetailed);
}

}  // namespace
