#include "tools/tarvex/options_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace tarvex;
using tarvex::tool::ContainerSettings;
using tarvex::tool::FormatOptionsFile;
using tarvex::tool::ParseOptionsFile;

void ParseInto(TTarvexModuleOptions& options, std::string_view text, ContainerSettings& container) {
  ParseOptionsFile(text, "test.options", options, container);
}

TEST(OptionsFile, EmptyFileMeansDefaults) {
  TTarvexModuleOptions options;
  options.SetMailServer("stale");
  ContainerSettings container{true};
  ParseInto(options, "", container);
  EXPECT_TRUE(options.SameOptionsAs(TTarvexModuleOptions()));
  EXPECT_EQ(container, ContainerSettings{});
  EXPECT_EQ(FormatOptionsFile(options, container), "[Options]\n");
}

TEST(OptionsFile, ReadsEveryKindOfValue) {
  const char* text =
      "# a comment\n"
      "; another\n"
      "\n"
      "[Options]\n"
      "  FreezeWatch = true  \n"
      "FreezeSeconds = -5\n"
      "MailServerPort = 65535\n"
      "DialogKind = dkDetailed\n"
      "FirstDetailTab = 4\n"
      "LogFlags = SkipDuplicates, 3\n"
      "DialogFlags = 0, OfferSending, 15\n"
      "SendFlags =\n"
      "ReportFields = Custom Data|All, User|Email\n"
      "MailRecipients = \"a@b.test; c@d.test\"\n"
      "MessageBody = \"q\\\"\\\\\\r\\n\\t\\x00\\xfF=\"\n"
      "Text[153] = \"filled\"\n"
      "TextsLanguage = \"Nederlands\"\n"
      "[Filter]\n"
      "ClassName = \"EAbort\"\n"
      "Scope = fsHandledExceptions\n"
      "DialogChoice = fdDetailedDialog\n"
      "Handling = fhTarvexLog\n"
      "AfterAction = faRestart\n"
      "Enabled = false\n"
      "Message = \"%ProgramName% stopped\"\n"
      "[Filter]\n"
      "ClassName = \"EConvertError\"\n"
      "[Container]\n"
      "LeakOptionsFromMainModule = true\n";
  TTarvexModuleOptions o;
  ContainerSettings container;
  ParseInto(o, text, container);
  EXPECT_TRUE(o.FreezeWatch());
  EXPECT_EQ(o.FreezeSeconds(), -5);
  EXPECT_EQ(o.MailServerPort(), 65535);
  EXPECT_EQ(o.DialogKind(), dkDetailed);
  EXPECT_EQ(o.FirstDetailTab(), dtAssembler);
  EXPECT_EQ(o.LogFlags(), lfSkipDuplicates | lfComputerNameInLogName);
  EXPECT_EQ(o.DialogFlags(), 0x8081);
  EXPECT_EQ(o.SendFlags(), 0);
  EXPECT_EQ(o.ReportFields(), (uint64_t{1} << 47) | (uint64_t{1} << 18));
  EXPECT_EQ(o.MailRecipients(), "a@b.test; c@d.test");
  EXPECT_EQ(o.MessageBody(), std::string("q\"\\\r\n\t\0\xFF=", 9));
  EXPECT_EQ(o.Text(mtReserved), "filled");
  EXPECT_EQ(o.TextsLanguage(), "Nederlands");
  ASSERT_EQ(o.Filters().Count(), 2u);
  EXPECT_EQ(o.Filters()[0], (TTarvexExceptionFilter{false, "EAbort", "%ProgramName% stopped", fsHandledExceptions,
                                                    fdDetailedDialog, fhTarvexLog, faRestart}));
  EXPECT_EQ(o.Filters()[1], (TTarvexExceptionFilter{true, "EConvertError", "", fsAnyException, fdNone, fhIgnore,
                                                    faNone}));
  EXPECT_TRUE(container.leakOptionsFromMainModule);
}

TEST(OptionsFile, RejectsBadInputWithFileAndLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"Bogus = 1", "test.options:1: unknown option 'Bogus'"},
      {"\n\nWriteLog = yes", "test.options:3: 'yes' is neither true nor false"},
      {"MailServerPort = 65536", "test.options:1: '65536' is not a whole number from 0 to 65535"},
      {"FreezeSeconds = 2147483648", "test.options:1: '2147483648' is not a whole number"},
      {"FreezeSeconds = $10", "test.options:1: '$10' is not a whole number"},
      {"DialogKind = dkHuge", "test.options:1: 'dkHuge' is not one of dkNone, dkMessageBox, dkSimple, dkDetailed"},
      {"DialogKind = 4", "test.options:1: '4' is not a whole number from 0 to 3"},
      {"LogFlags = SkipDuplicates, Nope", "test.options:1: 'Nope' is not a member of this set"},
      {"LogFlags = 8", "test.options:1: '8' is not a whole number from 0 to 7"},
      {"LogFlags = SkipDuplicates,", "test.options:1: '' is not a member of this set"},
      {"MailServer = smtp", "test.options:1: a text must be in double quotes"},
      {"MailServer = \"a\"b\"", "test.options:1: a double quote inside a text must be written"},
      {"MailServer = \"a\\\"", "test.options:1: a text ends in a lone \\"},
      {"MailServer = \"\\x4\"", "test.options:1: \\x needs two hexadecimal digits"},
      {"MailServer = \"\\q\"", "test.options:1: unknown escape \\q"},
      {"Text[158] = \"x\"", "test.options:1: unknown option 'Text[158]'"},
      {"WriteLog = true\nWriteLog = false", "test.options:2: 'WriteLog' is given twice"},
      {"[Extras]", "test.options:1: unknown section [Extras]"},
      {"[Filter]\nName = \"x\"", "test.options:2: unknown filter field 'Name'"},
      {"[Filter]\nScope = 3", "test.options:2: '3' is not a whole number from 0 to 2"},
      {"[Container]\nLeaks = true", "test.options:2: unknown container setting 'Leaks'"},
      {"just words", "test.options:1: expected 'key = value'"},
      {"ActiveFlag = true", "test.options:1: unknown option 'ActiveFlag'"},
  };
  for (const Case& c : cases) {
    TTarvexModuleOptions options;
    ContainerSettings container;
    try {
      ParseInto(options, c.text, container);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.error, 0), 0u) << e.what();
    }
  }
}

TEST(OptionsFile, FormatAndParseGiveTheSameOptions) {
  TTarvexModuleOptions source;
  source.SetLogSwitch(true);
  source.SetLogFlags(0xFF);
  source.SetReportFields(0x800000000001);
  source.SetDialogFlags(0xFFFF);
  source.SetBuildFlags(0);
  source.SetMailServerPort(0);
  source.SetCrashBurstCount(-2147483647 - 1);
  source.SetErrorPageTemplate(std::string("\x01\x7F\x80\"\\ \r\n", 9));
  source.SetText(mtInformation, "");
  source.SetText(mtInvalidEmail, "New");
  source.Filters().Add({true, "E", "m", fsUnhandledExceptions, fdMessageBox, fhStandard, faTerminate});
  for (const bool all : {false, true}) {
    const std::string text = FormatOptionsFile(source, {true}, all);
    TTarvexModuleOptions read;
    ContainerSettings container;
    ParseInto(read, text, container);
    EXPECT_TRUE(read.SameOptionsAs(source)) << text;
    EXPECT_TRUE(container.leakOptionsFromMainModule);
    EXPECT_EQ(FormatOptionsFile(read, container, all), text);
  }
  const std::string brief = FormatOptionsFile(source, {});
  EXPECT_NE(brief.find("LogFlags = SkipDuplicates, AskReproduceSteps, ClearLogOnNewVersion, ComputerNameInLogName, "
                       "SaveModuleSections, SaveCpuSections, 6, 7\n"),
            std::string::npos);
  EXPECT_NE(brief.find("ReportFields = Application|Start Date, Custom Data|All\n"), std::string::npos);
  EXPECT_NE(brief.find("Text[0] = \"\"\n"), std::string::npos);
  EXPECT_EQ(brief.find("WriteLog"), std::string::npos);  // defaults are left out
  EXPECT_EQ(brief.find("[Container]"), std::string::npos);
}

}  // namespace
