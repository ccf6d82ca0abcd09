#include <gtest/gtest.h>

#include "options_test_support.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;
using options_test::CountingOptions;

class OptionsTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kRunning = 0x00400000;
  void SetUp() override { SetRunningModuleHandle(kRunning); }
  void TearDown() override { SetRunningModuleHandle(0); }
};

TEST_F(OptionsTest, DefaultsOfTheRecord) {
  const TTarvexModuleOptions o("C:\\App\\App.exe", kRunning);
  EXPECT_FALSE(o.LogSwitch());
  EXPECT_TRUE(o.UseExceptionFilters());
  EXPECT_EQ(o.LogFlags(), lfSaveModuleSections | lfSaveCpuSections);
  EXPECT_TRUE(o.WriteLog());
  EXPECT_EQ(o.FreezeSeconds(), 60);
  EXPECT_EQ(o.MailServerPort(), 25);
  EXPECT_EQ(o.TerminateAction(), taRestart);
  EXPECT_EQ(o.MaxLoggedReports(), 32);
  EXPECT_EQ(o.TerminateButtonAfter(), 3);
  EXPECT_EQ(o.ReportFields(), 0xFFFFFFFFFFFFu);
  EXPECT_EQ(o.SendFlags(), 0x51);
  EXPECT_EQ(o.DialogFlags(), 399);
  EXPECT_EQ(o.CallStackFlags(), 0x0F);
  EXPECT_EQ(o.BehaviourFlags(), 0x58);
  EXPECT_EQ(o.LeakFlags(), 0x1E);
  EXPECT_EQ(o.CrashBurstAction(), 2);
  EXPECT_EQ(o.CrashBurstCount(), 10);
  EXPECT_EQ(o.CrashBurstMinutes(), 1);
  EXPECT_EQ(o.BuildFlags(), 1);
  EXPECT_EQ(o.DialogKind(), dkSimple);
  EXPECT_EQ(o.ProxyServerPort(), 8080);
  EXPECT_EQ(o.TextsLanguage(), "English");
  EXPECT_TRUE(o.Active());
  EXPECT_EQ(o.Filters().Count(), 0u);
  EXPECT_EQ(o.Text(mtInformation), "Information.");
  EXPECT_EQ(o.Text(mtErrorDuringExecution), "An error has occurred during program execution.\r\nPlease read the following information for further details.");
  EXPECT_EQ(o.Text(mtDontSend), "&Don't Send");
  EXPECT_EQ(o.Text(mtReserved), "");
  EXPECT_EQ(o.Text(mtInvalidEmail), "Invalid email.");
  EXPECT_EQ(o.Text(158), "");
  EXPECT_EQ(o.Text(-1), "");
  EXPECT_EQ(o.ErrorPageTemplate().substr(0, 22), "<html>\r\n  <head>\r\n  </");
  EXPECT_NE(o.ErrorPageTemplate().find("\r\n            <%HTML_TAG%>\r\n"), std::string::npos);
}

TEST_F(OptionsTest, SettersNotifyOnlyOutsideBulkChangesAndOnlyForTheRunningModule) {
  CountingOptions own("App.exe", kRunning);
  own.SetMailServer("smtp");
  own.SetText(mtErrorOccurred, "x");
  own.Filters().Add({});
  own.SetActive(false);
  EXPECT_EQ(own.notifications, 4);

  own.BeginUpdate();
  own.BeginUpdate();
  own.SetWriteLog(false);
  own.Filters().Clear();
  own.EndUpdate();
  EXPECT_EQ(own.notifications, 4);
  own.EndUpdate();
  EXPECT_EQ(own.notifications, 5);

  CountingOptions other("Other.dll", 0x10000000);
  other.SetWriteLog(false);
  other.ResetToDefaults();
  EXPECT_EQ(other.notifications, 0);
}

TEST_F(OptionsTest, MaxLoggedReportsOfZeroStoresOne) {
  TTarvexModuleOptions o;
  o.SetMaxLoggedReports(0);
  EXPECT_EQ(o.MaxLoggedReports(), 1);
  o.SetMaxLoggedReports(5);
  EXPECT_EQ(o.MaxLoggedReports(), 5);
}

TEST_F(OptionsTest, CopyFromCopiesDeeplyAsOneChangeButNotTheModuleOrActive) {
  TTarvexModuleOptions source("Lib.dll", 0x10000000);
  source.SetActive(false);
  source.SetLeakFlags(0x01);
  source.SetFreezeWatch(true);
  source.SetReproductionSteps("clicked twice");
  source.SetBuildCommandAfterFailure("notify.cmd");
  source.SetText(mtRunningThread, "Running");
  source.SetTextsLanguage("Italiano");
  source.Filters().Add({true, "EAbort", "m", fsAnyException, fdNone, fhIgnore, faNone});

  CountingOptions copy("App.exe", kRunning);
  copy.CopyFrom(&source);
  EXPECT_EQ(copy.notifications, 1);
  EXPECT_TRUE(copy.SameOptionsAs(source));
  EXPECT_EQ(copy.ReproductionSteps(), "clicked twice");
  EXPECT_TRUE(copy.Active());
  EXPECT_EQ(copy.ModuleFileName(), "App.exe");
  EXPECT_EQ(copy.ModuleHandle(), kRunning);

  source.Filters()[0].ClassName = "EChanged";
  source.Filters().Add({});
  ASSERT_EQ(copy.Filters().Count(), 1u);
  EXPECT_EQ(copy.Filters()[0].ClassName, "EAbort");

  copy.CopyFrom(&copy);
  EXPECT_EQ(copy.notifications, 1);
  try {
    copy.CopyFrom(nullptr);
    FAIL() << "copying from nothing must raise";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), "Impossible to assign nil as TTarvexModuleOptions.");
  }
}

TEST_F(OptionsTest, ResetToDefaultsRestoresEverythingAsOneChange) {
  CountingOptions o("App.exe", kRunning);
  o.BeginUpdate();
  o.SetActive(false);
  o.SetDialogKind(dkDetailed);
  o.SetText(mtReserved, "x");
  o.SetReproductionSteps("steps");
  o.Filters().Add({});
  o.EndUpdate();
  o.notifications = 0;
  o.ResetToDefaults();
  EXPECT_EQ(o.notifications, 1);
  EXPECT_TRUE(o.Active());
  EXPECT_TRUE(o.SameOptionsAs(TTarvexModuleOptions()));
}

}  // namespace
