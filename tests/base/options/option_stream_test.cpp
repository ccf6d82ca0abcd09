#include <gtest/gtest.h>

#include <cstring>

#include "crashreport/base/embedded_data/container.h"
#include "options_test_support.h"
#include "rtl/exception.h"

namespace {

using namespace tarvex;
using options_test::CountingOptions;
using options_test::Fixture;
using Bytes = std::vector<uint8_t>;

Bytes Stream(const TTarvexModuleOptions& options) {
  rtl::ByteWriter out;
  options.WriteToStream(out);
  return out.Take();
}

void Read(TTarvexModuleOptions& options, const Bytes& bytes, uint16_t version) {
  rtl::ByteReader in(bytes);
  options.ReadFromStream(in, version);
  EXPECT_TRUE(in.AtEnd()) << "version " << version << " left " << in.Remaining() << " bytes";
}

// Every option changed from its default, filters and texts included.
void Customize(TTarvexModuleOptions& o) {
  o.SetLogSwitch(true);
  o.SetUseExceptionFilters(false);
  o.SetLogFlags(0x2B);
  o.SetFirstDetailTab(dtAssembler);
  o.SetFreezeWatch(true);
  o.SetFreezeSeconds(-7);
  o.SetSenderAddress("bugs@example.test");
  o.SetMailServerPort(587);
  o.SetTerminateAction(taTerminate);
  o.SetReportFields(0x812345678901);
  o.SetWebDelivery(wdMantis);
  o.SetWebServerPort(8443);
  o.SetSendFlags(0x3FF);
  o.SetDialogFlags(0xFFFF);
  o.SetErrorPageTemplate("<p>\r\n<%HTML_TAG%>");
  o.SetCallStackFlags(0x1F);
  o.SetBehaviourFlags(0x1FF);
  o.SetLeakFlags(0x01);
  o.SetCrashBurstAction(taNone);
  o.SetCrashBurstCount(2147483647);
  o.SetBuildFlags(0);
  o.SetDialogKind(dkDetailed);
  o.SetProxyServerPort(3128);
  o.SetTrackerTrialNumber("42");
  o.SetArchivePassword(std::string("p\0w\xFF", 4));
  o.Filters().Add({true, "EConvertError", "Bad %value%", fsHandledExceptions, fdDetailedDialog, fhTarvexLog, faRestart});
  o.Filters().Add({false, "EAbort", "", fsAnyException, fdNone, fhIgnore, faNone});
  o.SetMessageBody("Hello");
  o.SetText(mtInformation, "Info");
  o.SetText(mtReserved, "no longer empty");
  o.SetText(mtInvalidEmail, "A\r\nB");
  o.SetTextsLanguage("Deutsch");
}

TEST(OptionStream, CurrentLayoutRoundTripsDefaultsAndEveryCustomValue) {
  for (const bool custom : {false, true}) {
    TTarvexModuleOptions written;
    if (custom) Customize(written);
    TTarvexModuleOptions read;
    read.SetText(mtGeneral, "changed before reading");
    read.Filters().Add({true, "Stale", "", fsAnyException, fdNone, fhIgnore, faNone});
    Read(read, Stream(written), kCurrentLayoutVersion);
    EXPECT_TRUE(read.SameOptionsAs(written)) << "custom " << custom;
    Read(read, Stream(written), kTarvexDataVersion);
    EXPECT_TRUE(read.SameOptionsAs(written)) << "custom " << custom;
  }
}

TEST(OptionStream, GoldenBytesOfTheDefaults) {
  const Bytes bytes = Stream(TTarvexModuleOptions());
  // LogSwitch, UseExceptionFilters, LogFlags, AppendReportToMessage, WriteLog,
  // FirstDetailTab, FreezeWatch, FreezeSeconds = 60, then SenderAddress.
  const Bytes head = {0x00, 0x01, 0x30, 0x00, 0x01, 0x00, 0x00, 0x3C, 0x00, 0x00, 0x00, 0x13, 0x00, 0x00, 0x00,
                      't' ^ 0x9E, 'a' ^ 0x9E};
  ASSERT_GT(bytes.size(), head.size());
  EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
  // MailServer "", MailServerPort 25, login "", password "", TerminateAction taRestart,
  // MaxLoggedReports 32, TerminateButtonAfter 3, recipients "", subject "", MailDelivery 0, ReportFields.
  const Bytes afterSender = {0, 0, 0, 0, 25, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 32, 0, 0, 0, 3, 0, 0, 0,
                             0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_TRUE(std::equal(afterSender.begin(), afterSender.end(), bytes.begin() + 15 + 0x13));
  // The tail: text 157 "Invalid email." and TextsLanguage "English".
  Fixture tail;
  tail.str("Invalid email.").str("English");
  EXPECT_TRUE(std::equal(tail.Bytes().rbegin(), tail.Bytes().rend(), bytes.rbegin()));
  EXPECT_EQ(bytes.size(), 3338u);
}

TEST(OptionStream, StringsDropOnlyASoleTrailingLineBreak) {
  struct Case {
    const char* text;
    const char* stored;
  };
  const Case cases[] = {{"Line\r\n", "Line"},      {"A\r\nB\r\n", "A\r\nB\r\n"}, {"\r\n", ""},
                        {"\n", "\n"},              {"x", "x"},                   {"", ""},
                        {"Line\r\n\r\n", "Line\r\n\r\n"}};
  for (const Case& c : cases) {
    rtl::ByteWriter out;
    WriteOptionString(out, c.text);
    Fixture expected;
    expected.u8(uint8_t(std::strlen(c.stored))).bytes({0, 0, 0});
    for (const char* p = c.stored; *p; ++p) expected.u8(uint8_t(*p ^ 0x9E));
    EXPECT_EQ(out.Bytes(), expected.Bytes()) << c.text;
    rtl::ByteReader in(out.Bytes());
    EXPECT_EQ(ReadOptionString(in), c.stored);
  }
}

TEST(OptionStream, AnAbsurdStringLengthIsAReadErrorNotAnAllocation) {
  const Bytes bytes = {0x00, 0x01, 0x30, 0x00, 0x01, 0x00, 0x00, 0x3C, 0x00, 0x00, 0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x41};
  TTarvexModuleOptions options;
  rtl::ByteReader in(bytes);
  EXPECT_THROW(options.ReadFromStream(in, kCurrentLayoutVersion), rtl::EReadError);
  EXPECT_EQ(options.SenderAddress(), kDefaultSenderAddress);
  EXPECT_EQ(options.FreezeSeconds(), 60);
}

TEST(OptionStream, ACutStreamRaisesKeepsWhatWasReadAndNotifiesOnce) {
  TTarvexModuleOptions source;
  Customize(source);
  const Bytes bytes = Stream(source);
  for (size_t size = 0; size < bytes.size(); size += (size < 64 ? 1 : 97)) {
    CountingOptions options;
    rtl::ByteReader in(std::span<const uint8_t>(bytes).first(size));
    EXPECT_THROW(options.ReadFromStream(in, kCurrentLayoutVersion), rtl::EReadError) << size;
    EXPECT_EQ(options.notifications, 1) << size;
    EXPECT_EQ(options.UpdateDepth(), 0);
    if (size >= 3) {
      EXPECT_EQ(options.LogFlags(), 0x2B) << size;
    }
  }
}

// Hand-made streams of older data versions and what they read as.
TEST(OptionStream, Version410) {
  Fixture f;
  f.u8(1).u8(0).u8(0x01)            // LogSwitch, UseExceptionFilters, LogFlags
      .u8(1)                        // dialog byte, XORed with 1 below 450: 0 means no dialog
      .u8(1)                        // AppendReportToMessage
      .u8(0).u8(3)                  // WriteLog, FirstDetailTab 3 (becomes 5)
      .u8(1)                        // DialogFlags bit 6 (403..499)
      .str("smtp.example")          // MailServer
      .u8(0)                        // terminate byte 0: taNone
      .i32(0).i32(7)                // MaxLoggedReports (0 stores 1), TerminateButtonAfter
      .str("a@b").str("S").u8(1)    // recipients, subject, MailDelivery (any non-zero)
      .bytes({0x01, 0, 0, 0})       // ReportFields, 4 bytes
      .u8(0xEE)                     // skipped below 450
      .str("C:\\logs")              // LogFilePath
      .i32(1).str("EFoo").str("msg")  // one old filter
      .str("body").texts(95);
  TTarvexModuleOptions o;
  Read(o, f.Bytes(), 410);
  EXPECT_TRUE(o.LogSwitch());
  EXPECT_FALSE(o.UseExceptionFilters());
  EXPECT_EQ(o.LogFlags(), 0x01);
  EXPECT_EQ(o.DialogKind(), dkNone);
  EXPECT_TRUE(o.AppendReportToMessage());
  EXPECT_FALSE(o.WriteLog());
  EXPECT_EQ(o.FirstDetailTab(), dtCpu);
  EXPECT_EQ(o.DialogFlags(), 0x18F | dfOwnDialogLook);
  EXPECT_FALSE(o.FreezeWatch());
  EXPECT_EQ(o.FreezeSeconds(), 60);
  EXPECT_EQ(o.MailServer(), "smtp.example");
  EXPECT_EQ(o.MailServerPort(), 25);
  EXPECT_EQ(o.TerminateAction(), taNone);
  EXPECT_EQ(o.MaxLoggedReports(), 1);
  EXPECT_EQ(o.TerminateButtonAfter(), 7);
  EXPECT_EQ(o.MailDelivery(), mdSMTPRelay);
  EXPECT_EQ(o.ReportFields(), 0xFE0FC3C0F231u);
  EXPECT_EQ(o.LogFilePath(), "C:\\logs");
  EXPECT_EQ(o.SendFlags(), 0x51);
  EXPECT_EQ(o.CallStackFlags(), 0x0F | csNoProcedureNames);
  ASSERT_EQ(o.Filters().Count(), 1u);
  EXPECT_EQ(o.Filters()[0], (TTarvexExceptionFilter{true, "EFoo", "msg", fsUnhandledExceptions, fdMessageBox,
                                                    fhIgnore, faNone}));
  EXPECT_EQ(o.MessageBody(), "body");
  // Texts 0..12, 17..22, 37..104 and 110..117 are stored; the others keep their defaults.
  EXPECT_EQ(o.Text(mtProcessesInformation), "T12");
  EXPECT_EQ(o.Text(mtAssembler), kDefaultMessageTexts[mtAssembler]);
  EXPECT_EQ(o.Text(mtOk), "T13");
  EXPECT_EQ(o.Text(mtEncounteredProblem), kDefaultMessageTexts[mtEncounteredProblem]);
  EXPECT_EQ(o.Text(mtApplication), "T19");
  EXPECT_EQ(o.Text(mtMessageSent), "T94");
  EXPECT_EQ(o.Text(mtApplicationFrozen), kDefaultMessageTexts[mtApplicationFrozen]);
  EXPECT_EQ(o.TextsLanguage(), "English");
}

TEST(OptionStream, Version421) {
  Fixture f;
  f.u8(0).u8(1).u8(0x30).u8(0)     // ... dialog byte 0, XORed: dialog stays
      .u8(0).u8(1).u8(1).u8(0)      // AppendReportToMessage, WriteLog, FirstDetailTab, DialogFlags bit 6
      .u8(1).i32(5000)              // FreezeWatch, FreezeSeconds in milliseconds below 422
      .str("Frozen!")               // replaces text 156
      .str("")                      // MailServer
      .str("u").str("p").u8(1)      // login, password, TerminateAction
      .u8(1)                        // terminate byte: keep
      .i32(32).i32(3).str("").str("").u8(3)
      .bytes({0xFF, 0xFF, 0xFF, 0xFF})
      .u8(0)
      .str("")
      .i32(0)
      .str("").texts(95);
  TTarvexModuleOptions o;
  Read(o, f.Bytes(), 421);
  EXPECT_EQ(o.DialogKind(), dkSimple);
  EXPECT_EQ(o.FirstDetailTab(), dtCallStack);
  EXPECT_EQ(o.DialogFlags(), 0x18F & ~dfOwnDialogLook);
  EXPECT_TRUE(o.FreezeWatch());
  EXPECT_EQ(o.FreezeSeconds(), 5);
  EXPECT_EQ(o.Text(mtApplicationFrozen), "Frozen!");
  EXPECT_EQ(o.SenderAddress(), kDefaultSenderAddress);
  EXPECT_EQ(o.MailServerLogin(), "u");
  EXPECT_EQ(o.MailServerPassword(), "p");
  EXPECT_EQ(o.TerminateAction(), taTerminate);
  EXPECT_EQ(o.MailDelivery(), mdMailClient);
  EXPECT_EQ(o.ReportFields(), kAllReportFields);
}

TEST(OptionStream, Version460) {
  Fixture f;
  f.u8(0).u8(1).u8(0x30).u8(0)     // dialog byte 0 (no XOR from 450): no dialog
      .u8(0).u8(1).u8(0).u8(0)      // AppendReportToMessage; SendFlags bits 2, 4, 0
      .u8(1).u8(2).u8(1)            // WriteLog, FirstDetailTab, DialogFlags bit 6
      .u8(0).i32(30).str("")        // FreezeWatch, FreezeSeconds, freeze text (empty: default kept)
      .str("me@example.test")       // SenderAddress
      .str("mx.example").u16(587)   // MailServer, MailServerPort
      .str("").str("").u8(2).u8(1)  // login, password, TerminateAction, terminate byte
      .i32(10).i32(3).str("").str("").u8(2)
      .bytes({0x0F, 0, 0, 0})
      .str("")
      .i32(0)
      .str("").texts(95);
  TTarvexModuleOptions o;
  Read(o, f.Bytes(), 460);
  EXPECT_EQ(o.DialogKind(), dkNone);
  EXPECT_EQ(o.SendFlags(), (0x51 | sfSendWholeLog) & ~sfIncludeScreenshot & ~sfShowProgressWindow);
  EXPECT_EQ(o.FirstDetailTab(), dtModules);
  EXPECT_EQ(o.FreezeSeconds(), 30);
  EXPECT_EQ(o.Text(mtApplicationFrozen), kDefaultMessageTexts[mtApplicationFrozen]);
  EXPECT_EQ(o.SenderAddress(), "me@example.test");
  EXPECT_EQ(o.MailServerPort(), 587);
  EXPECT_EQ(o.MailDelivery(), mdSMTPRelay);
}

TEST(OptionStream, Version5000) {
  Fixture f;
  f.u8(0).u8(1).u8(0x30).u8(0)       // LogSwitch .. AppendReportToMessage (no dialog byte from 500)
      .u8(1).u8(3)                     // WriteLog, FirstDetailTab 3 becomes 5
      .u8(0).i32(60).str("")           // freeze
      .str("").str("").u16(25).str("").str("").u8(2).u8(1)
      .i32(32).i32(3).str("").str("").u8(3)
      .bytes({0x02, 0, 0, 0, 0})       // ReportFields, 5 bytes
      .str("")                         // LogFilePath
      .u8(1).str("http://x").str("").str("").i32(80).str("a.txt")
      .u16(0x0201)                     // SendFlags: bit 9 is dropped
      .u8(0x80)                        // DialogFlags in 1 byte
      .i32(15).str("http://support").str("<t>")
      .u8(0x01)                        // CallStackFlags gains bit 4
      .u8(0x08)                        // BehaviourFlags in 1 byte; no LeakFlags
      .u8(1).i32(4).i32(2)             // burst
      .i32(1).str("EBar").str("")      // an old filter without a message
      .str("").texts(125);
  TTarvexModuleOptions o;
  Read(o, f.Bytes(), 5000);
  EXPECT_EQ(o.FirstDetailTab(), dtCpu);
  EXPECT_EQ(o.MailDelivery(), mdDirectMX);
  EXPECT_EQ(o.ReportFields(), 0x810E03C0F222u);
  EXPECT_EQ(o.WebDelivery(), wdHTTP);
  EXPECT_EQ(o.WebServerPort(), 80);
  EXPECT_EQ(o.ExtraAttachments(), "a.txt");
  EXPECT_EQ(o.SendFlags(), sfShowProgressWindow);
  EXPECT_EQ(o.DialogFlags(), dfOfferSending);
  EXPECT_EQ(o.DialogAutoCloseSeconds(), 15);
  EXPECT_EQ(o.ErrorPageTemplate(), "<t>");
  EXPECT_EQ(o.CallStackFlags(), csShowLibraryEntries | csNoProcedureNames);
  EXPECT_EQ(o.BehaviourFlags(), bfMainProgramOptions);
  EXPECT_EQ(o.LeakFlags(), 0x1E);
  EXPECT_EQ(o.CrashBurstAction(), taTerminate);
  EXPECT_EQ(o.CrashBurstCount(), 4);
  EXPECT_EQ(o.DialogKind(), dkSimple);
  EXPECT_EQ(o.Filters()[0], (TTarvexExceptionFilter{true, "EBar", "", fsUnhandledExceptions, fdNone, fhIgnore,
                                                    faNone}));
  // From 500 texts 13..16, 23..25 and 123..145 are stored too.
  EXPECT_EQ(o.Text(mtAssembler), "T13");
  EXPECT_EQ(o.Text(mtGoToSupportPage), "T25");
  EXPECT_EQ(o.Text(mtEncounteredProblem), kDefaultMessageTexts[mtEncounteredProblem]);
  EXPECT_EQ(o.Text(mtSendingFailed), "T124");
  EXPECT_EQ(o.Text(mtBugClosed), kDefaultMessageTexts[mtBugClosed]);
}

TEST(OptionStream, OutOfRangeEnumerationsKeepTheirValue) {
  TTarvexModuleOptions source;
  source.Filters().Add({});
  Bytes bytes = Stream(source);
  bytes[5] = 9;  // FirstDetailTab
  TTarvexModuleOptions o;
  o.SetFirstDetailTab(dtModules);
  Read(o, bytes, kCurrentLayoutVersion);
  EXPECT_EQ(o.FirstDetailTab(), dtModules);
}

}  // namespace
