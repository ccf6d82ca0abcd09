#include "crashreport/callstack/stack/export_name.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvex;

struct ExportCase {
  const char* name;
  uint8_t level;
  const char* unit;
  const char* className;
  const char* procedure;
};

class DecodeExportNameTest : public ::testing::TestWithParam<ExportCase> {};

TEST_P(DecodeExportNameTest, SplitsIntoUnitClassAndProcedure) {
  TTarvexStackItem item;
  item.InfoLevel = ilModule;
  DecodeExportName(GetParam().name, item);
  EXPECT_EQ(item.InfoLevel, GetParam().level);
  EXPECT_EQ(item.UnitName.str(), GetParam().unit);
  EXPECT_EQ(item.ClassName.str(), GetParam().className);
  EXPECT_EQ(item.ProcedureName.str(), GetParam().procedure);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeExportNameTest,
    ::testing::Values(
        ExportCase{"@Forms@TForm@Show$qqrv", ilUnit, "Forms.pas", "TForm", "Show"},
        ExportCase{"@Sysutils@Format$qqrx17System@AnsiString", ilUnit, "Sysutils.pas", "", "Format"},
        ExportCase{"@Classes@TList@$bdtr$qqrv", ilUnit, "Classes.pas", "", "TList"},
        ExportCase{"@System@@LStrAsg$qqrv", ilUnit, "System.pas", "", "_LStrAsg"},  // "@@" -> "._"
        ExportCase{"@Unit@Proc@$qqrv", ilUnit, "Unit.pas", "", "Proc"},             // trailing "@" dropped
        ExportCase{"@A@B@C@D$qqrv", ilModule, "", "", ""},                          // four parts
        ExportCase{"@Unit@Proc", ilModule, "", "", ""},                             // no "$"
        ExportCase{"@$xp$Unit", ilModule, "", "", ""},                              // "$" second
        ExportCase{"@", ilModule, "", "", ""},
        ExportCase{"Unit.Proc", ilUnit, "Unit.pas", "", "Proc"},
        ExportCase{"Unit.TClass.Method@8", ilUnit, "Unit.pas", "TClass", "Method"},
        ExportCase{"Unit.@Proc", ilUnit, "Unit.pas", "", ""},                       // cut at the first "@"
        ExportCase{"A.B.C.D", ilModule, "", "", ""},
        ExportCase{"CreateFileA", ilProcedure, "", "", "CreateFileA"},
        ExportCase{"_Sleep@4", ilProcedure, "", "", "_Sleep@4"},
        ExportCase{"?Method@Class@@QAEXXZ", ilModule, "", "", ""},
        ExportCase{"", ilModule, "", "", ""}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
